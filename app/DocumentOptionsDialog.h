#pragma once

#include "core/DocumentOptions.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The small modal dialog behind "Document Options...": the caption under each picture, the
// pictures per page, fitting each picture to the page, the page setup (paper, how the pages
// stand, the margins and a template), the size the pictures are made and whether their
// location and camera data go. It opens showing a set of options and hands back the one its
// controls show; storing it is the caller's business. OK is refused, with the reason shown in
// the dialog, while the custom grid cannot be read or the page setup cannot be used with the
// pictures per page.
class DocumentOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit DocumentOptionsDialog(const DocumentOptions& current, QWidget* parent = nullptr);

    // The options the controls show now; the JPEG quality, which no control shows, is the one
    // the dialog was last set to show.
    DocumentOptions documentOptions() const;
    AlbumLayout albumLayout() const;
    PicturePolicy picturePolicy() const;
    // Sets every control to show `shown`.
    void showDocumentOptions(const DocumentOptions& shown);

    // The picture whose caption the dialog shows as an example: the list's first entry, or ""
    // for an empty list, which shows none.
    void setPreviewPicture(const QString& path);

    // What "Choose..." asks for the template: a path, or "" when the user chose none. The
    // default is the desktop's file dialog.
    void setTemplateChooser(std::function<QString()> chooser) {
        m_chooseTemplate = std::move(chooser);
    }

    QComboBox* captionBox() const { return m_caption; }
    QLineEdit* captionPatternEdit() const { return m_captionPattern; }
    QLabel* captionPreview() const { return m_captionPreview; }
    QComboBox* picturesPerPageBox() const { return m_picturesPerPage; }
    QLineEdit* customGridEdit() const { return m_customGrid; }
    QCheckBox* fitToPageBox() const { return m_fitToPage; }
    QComboBox* paperSizeBox() const { return m_paperSize; }
    QComboBox* orientationBox() const { return m_orientation; }
    QLabel* orientationNote() const { return m_orientationNote; }
    QDoubleSpinBox* marginBox() const { return m_margin; }
    QLineEdit* templateEdit() const { return m_template; }
    QPushButton* templateButton() const { return m_templateButton; }
    QPushButton* templateClear() const { return m_templateClear; }
    QComboBox* pictureSizeBox() const { return m_pictureSize; }
    QCheckBox* stripMetadataBox() const { return m_stripMetadata; }
    QLabel* problemLabel() const { return m_problem; }
    QDialogButtonBox* buttons() const { return m_buttons; }

public slots:
    // Closes the dialog as accepted unless the page setup shown cannot be used; then the
    // dialog stays open and says why.
    void accept() override;

private:
    // "Each page turned to its picture" takes one picture a page: it can be chosen only while
    // the pictures per page are 1, and a note beside it says so while it cannot. Chosen when
    // the pictures per page go above 1, it gives way to the office's default, and comes back
    // when they are 1 again, unless the user chose another orientation meanwhile.
    void updateAutoOrientation();
    void chooseTemplate();
    // The caption entry chosen: a pattern entry shows its pattern to edit, one of the three
    // plain captions none.
    void captionChosen();
    // The pattern edited: the entry of a pattern that has it is chosen, else "Own pattern".
    void captionPatternEdited(const QString& text);
    void updateCaptionPreview();

    QComboBox* m_caption = nullptr;
    QLineEdit* m_captionPattern = nullptr;
    QLabel* m_captionPreview = nullptr;
    QString m_previewPicture;
    std::optional<PictureFacts> m_previewFacts;
    // What "Own pattern" held when another entry was chosen, for a return to it.
    QString m_ownPattern;
    QComboBox* m_picturesPerPage = nullptr;
    QLineEdit* m_customGrid = nullptr;
    QCheckBox* m_fitToPage = nullptr;
    QComboBox* m_paperSize = nullptr;
    QComboBox* m_orientation = nullptr;
    QLabel* m_orientationNote = nullptr;
    // "Each page turned to its picture" was chosen and had to give way to more pictures a page.
    bool m_autoSetAside = false;
    QDoubleSpinBox* m_margin = nullptr;
    QLineEdit* m_template = nullptr;
    QPushButton* m_templateButton = nullptr;
    QPushButton* m_templateClear = nullptr;
    QComboBox* m_pictureSize = nullptr;
    QCheckBox* m_stripMetadata = nullptr;
    int m_jpegQuality = PicturePolicy().jpegQuality;
    QLabel* m_problem = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    std::function<QString()> m_chooseTemplate;
};
