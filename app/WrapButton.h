#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several lines when the button is narrower than
// the text, as the tall "Move Up" and "Move Down" buttons need.
class WrapButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrapButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
