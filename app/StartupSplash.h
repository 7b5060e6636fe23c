#pragma once

#include <QSplashScreen>

// The small window shown from the first moment of the program while the office is looked for
// and started, which can take seconds. It goes away by itself as soon as any other window of
// the program is shown: the main window, or a box saying the office could not be had.
class StartupSplash : public QSplashScreen {
    Q_OBJECT
public:
    StartupSplash();
    ~StartupSplash() override;

    // Shows it and lets it be drawn before the program goes on.
    void showNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
