#pragma once

#include "core/AlbumLayout.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;

// The small modal dialog behind "Document Options...": the caption under each picture, the
// pictures per page and fitting each picture to the page. It opens showing a layout and
// hands back the one its controls show; storing it is the caller's business.
class DocumentOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit DocumentOptionsDialog(const AlbumLayout& current, QWidget* parent = nullptr);

    // The layout the controls show now.
    AlbumLayout albumLayout() const;
    // Sets every control to show `shown`.
    void showAlbumLayout(const AlbumLayout& shown);

    QComboBox* captionBox() const { return m_caption; }
    QComboBox* picturesPerPageBox() const { return m_picturesPerPage; }
    QCheckBox* fitToPageBox() const { return m_fitToPage; }
    QDialogButtonBox* buttons() const { return m_buttons; }

private:
    QComboBox* m_caption = nullptr;
    QComboBox* m_picturesPerPage = nullptr;
    QCheckBox* m_fitToPage = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};
