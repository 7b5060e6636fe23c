#include "app/DocumentOptionsDialog.h"

#include "prepare/CaptionFacts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The paper entries every dialog has; a custom paper shown is added after them.
constexpr int kNamedPaperEntries = 5;
// The same for the picture sizes: a number of pixels per inch that is no preset comes after.
constexpr int kNamedPictureSizeEntries = 4;

// The caption entries that stand for a pattern, after the three plain captions; "Own pattern",
// the last entry, holds no pattern of its own.
const std::pair<const char*, const char*> kCaptionPatterns[] = {
    {"Number and name", "{n}. {stem}"},
    {"Name and date taken", "{stem}, {date}"},
    {"The photo's description", "{description}"},
};
constexpr int kFirstPatternEntry = 3;

// The caption that the caption entry and the pattern box stand for, in the words of the setting.
QString captionChoice(const QComboBox* box, const QLineEdit* pattern) {
    const QString word = box->currentData().toString();
    return box->currentIndex() < kFirstPatternEntry ? word : pattern->text();
}

// The pictures-per-page entries, as the setting writes them; "Custom grid", the last entry,
// takes its grid from the box beside it.
const char* const kPicturesPerPage[] = {"1", "2", "4", "2x3", "3x3", "3x4", "4x5"};

// What the pictures-per-page entry and the grid box stand for, in the words of the setting.
QString picturesPerPageChoice(const QComboBox* box, const QLineEdit* grid) {
    return box->currentIndex() == box->count() - 1 ? grid->text() : box->currentData().toString();
}

// The margin box's minimum, shown as "Office default": no margin of our own. One step up from
// it is 0 mm.
constexpr double kNoMargin = -0.5;

const QString kAutoNeedsOnePerPage =
    QStringLiteral("Turning each page to its picture needs one picture a page.");

// Selects the entry whose data is `value`; the first entry when none has it.
void selectByData(QComboBox* box, const QVariant& value) {
    const int index = box->findData(value);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace

DocumentOptionsDialog::DocumentOptionsDialog(const DocumentOptions& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DocumentOptionsDialog"));
    setWindowTitle(QStringLiteral("Document Options"));

    // Each caption entry holds its word of the settings, or its pattern.
    m_caption = new QComboBox(this);
    m_caption->setObjectName(QStringLiteral("captionBox"));
    m_caption->addItem(QStringLiteral("None"), QStringLiteral("none"));
    m_caption->addItem(QStringLiteral("File name"), QStringLiteral("name"));
    m_caption->addItem(QStringLiteral("File name without extension"), QStringLiteral("stem"));
    for (const auto& [label, pattern] : kCaptionPatterns) {
        m_caption->addItem(
            QStringLiteral("%1: %2").arg(QLatin1String(label), QLatin1String(pattern)),
            QLatin1String(pattern));
    }
    m_caption->addItem(QStringLiteral("Own pattern"), QString());
    m_captionPattern = new QLineEdit(this);
    m_captionPattern->setObjectName(QStringLiteral("captionPatternEdit"));
    m_captionPattern->setAccessibleName(QStringLiteral("Caption pattern"));
    m_captionPattern->setPlaceholderText(QStringLiteral("Text with fields, such as {n}. {stem}"));
    m_captionPattern->setToolTip(
        QStringLiteral("{name} the file name, {stem} without its extension, {folder} the "
                       "folder's name, {date} the date taken, {description} the photo's own "
                       "description, {n} the picture's number; {{ and }} write a brace."));
    m_captionPreview = new QLabel(this);
    m_captionPreview->setObjectName(QStringLiteral("captionPreview"));
    m_captionPreview->setTextFormat(Qt::PlainText);
    m_captionPreview->setWordWrap(true);
    m_captionPreview->hide();
    connect(m_caption, &QComboBox::currentIndexChanged, this,
            &DocumentOptionsDialog::captionChosen);
    connect(m_captionPattern, &QLineEdit::textEdited, this,
            &DocumentOptionsDialog::captionPatternEdited);
    connect(m_captionPattern, &QLineEdit::textChanged, this,
            &DocumentOptionsDialog::updateCaptionPreview);

    m_picturesPerPage = new QComboBox(this);
    m_picturesPerPage->setObjectName(QStringLiteral("picturesPerPageBox"));
    for (const char* word : kPicturesPerPage) {
        m_picturesPerPage->addItem(QLatin1String(word), QLatin1String(word));
    }
    m_picturesPerPage->addItem(QStringLiteral("Custom grid"), QString());
    m_customGrid = new QLineEdit(this);
    m_customGrid->setObjectName(QStringLiteral("customGridEdit"));
    m_customGrid->setAccessibleName(QStringLiteral("Custom grid"));
    m_customGrid->setPlaceholderText(QStringLiteral("Columns x rows, such as 5x6"));
    m_customGrid->setToolTip(QStringLiteral("1 to %1 columns by 1 to %2 rows, in a table on "
                                            "each page")
                                 .arg(kMostGridColumns)
                                 .arg(kMostGridRows));
    connect(m_picturesPerPage, &QComboBox::currentIndexChanged, this, [this] {
        m_customGrid->setEnabled(m_picturesPerPage->currentIndex() ==
                                 m_picturesPerPage->count() - 1);
    });

    m_fitToPage = new QCheckBox(QStringLiteral("&Fit each picture to the page"), this);
    m_fitToPage->setObjectName(QStringLiteral("fitToPageBox"));

    // Each paper entry holds the word the settings use for it; "" is the office's own page.
    m_paperSize = new QComboBox(this);
    m_paperSize->setObjectName(QStringLiteral("paperSizeBox"));
    m_paperSize->addItem(QStringLiteral("Office default"), QString());
    m_paperSize->addItem(QStringLiteral("A4"), QStringLiteral("a4"));
    m_paperSize->addItem(QStringLiteral("A5"), QStringLiteral("a5"));
    m_paperSize->addItem(QStringLiteral("Letter"), QStringLiteral("letter"));
    m_paperSize->addItem(QStringLiteral("Legal"), QStringLiteral("legal"));

    m_orientation = new QComboBox(this);
    m_orientation->setObjectName(QStringLiteral("orientationBox"));
    m_orientation->addItem(QStringLiteral("Office default"),
                           static_cast<int>(PageOrientation::Office));
    m_orientation->addItem(QStringLiteral("Portrait"), static_cast<int>(PageOrientation::Portrait));
    m_orientation->addItem(QStringLiteral("Landscape"),
                           static_cast<int>(PageOrientation::Landscape));
    m_orientation->addItem(QStringLiteral("Each page turned to its picture"),
                           static_cast<int>(PageOrientation::Auto));
    m_orientation->setItemData(
        m_orientation->count() - 1,
        QStringLiteral("Landscape pages for wide pictures, portrait ones for tall pictures. ") +
            kAutoNeedsOnePerPage,
        Qt::ToolTipRole);
    // Says, while it is greyed out, why that entry cannot be chosen.
    m_orientationNote = new QLabel(kAutoNeedsOnePerPage, this);
    m_orientationNote->setObjectName(QStringLiteral("orientationNote"));
    m_orientationNote->setWordWrap(true);
    m_orientationNote->hide();
    // An orientation the user picks, not one set here, forgets the turned pages set aside.
    connect(m_orientation, &QComboBox::activated, this, [this] { m_autoSetAside = false; });

    // Two decimals: a margin written by hand in hundredths of a millimetre comes back as it was.
    m_margin = new QDoubleSpinBox(this);
    m_margin->setObjectName(QStringLiteral("marginBox"));
    m_margin->setDecimals(2);
    m_margin->setRange(kNoMargin, 1000.0);
    m_margin->setSingleStep(0.5);
    m_margin->setSuffix(QStringLiteral(" mm"));
    m_margin->setSpecialValueText(QStringLiteral("Office default"));
    // Anything typed below 0 mm is no margin of our own, and shows as such.
    connect(m_margin, &QDoubleSpinBox::editingFinished, this, [this] {
        if (m_margin->value() < 0.0) {
            m_margin->setValue(kNoMargin);
        }
    });

    m_template = new QLineEdit(this);
    m_template->setObjectName(QStringLiteral("templateEdit"));
    m_template->setReadOnly(true);
    m_template->setPlaceholderText(QStringLiteral("None: a plain new document"));
    // Its label leads to "Choose...", so it names this field to no screen reader.
    m_template->setAccessibleName(QStringLiteral("Template"));
    m_template->setAccessibleDescription(
        QStringLiteral("The .ott or .odt file the document is made from; empty for a plain new "
                       "document."));
    // Room for a path of some length; a longer one scrolls, and its tooltip shows all of it.
    m_template->setMinimumWidth(m_template->fontMetrics().averageCharWidth() * 32);
    m_templateButton = new QPushButton(QStringLiteral("C&hoose..."), this);
    m_templateButton->setObjectName(QStringLiteral("templateButton"));
    m_templateButton->setAccessibleName(QStringLiteral("Choose template"));
    m_templateClear = new QPushButton(QStringLiteral("C&lear"), this);
    m_templateClear->setObjectName(QStringLiteral("templateClear"));
    m_templateClear->setAccessibleName(QStringLiteral("Clear template"));
    connect(m_templateButton, &QPushButton::clicked, this, &DocumentOptionsDialog::chooseTemplate);
    connect(m_templateClear, &QPushButton::clicked, m_template, &QLineEdit::clear);
    connect(m_template, &QLineEdit::textChanged, m_template, &QLineEdit::setToolTip);
    m_chooseTemplate = [this] {
        const QString current = m_template->text();
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Choose a Template"),
            current.isEmpty() ? QString() : QFileInfo(current).absolutePath(),
            QStringLiteral("Templates and documents (*.ott *.odt)"));
    };

    // Each size entry holds its pixels per inch; 0 keeps every pixel.
    m_pictureSize = new QComboBox(this);
    m_pictureSize->setObjectName(QStringLiteral("pictureSizeBox"));
    m_pictureSize->addItem(QStringLiteral("Original"), 0);
    m_pictureSize->addItem(QStringLiteral("Print (%1 ppi)").arg(kPrintPixelsPerInch),
                           kPrintPixelsPerInch);
    m_pictureSize->addItem(QStringLiteral("Screen (%1 ppi)").arg(kScreenPixelsPerInch),
                           kScreenPixelsPerInch);
    m_pictureSize->addItem(QStringLiteral("Email (%1 ppi)").arg(kEmailPixelsPerInch),
                           kEmailPixelsPerInch);
    m_pictureSize->setAccessibleName(QStringLiteral("Picture size"));
    m_pictureSize->setToolTip(
        QStringLiteral("Pictures with more pixels than this many per inch of the size they take "
                       "on the page are made smaller, never larger. Their size on the page stays "
                       "the same."));

    m_stripMetadata = new QCheckBox(QStringLiteral("&Remove location and camera data"), this);
    m_stripMetadata->setObjectName(QStringLiteral("stripMetadataBox"));
    m_stripMetadata->setAccessibleName(QStringLiteral("Remove location and camera data"));
    m_stripMetadata->setToolTip(
        QStringLiteral("Removes the GPS position, the camera and lens serial numbers, maker notes, "
                       "embedded thumbnails, XMP and comments from every picture."));

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("problemLabel"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_problem->setWordWrap(true);
    m_problem->hide();

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &DocumentOptionsDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_picturesPerPage, &QComboBox::currentIndexChanged, this,
            &DocumentOptionsDialog::updateAutoOrientation);
    // A refusal stands for the choices it was made on: any change to them takes it away.
    const auto changed = [this] { m_problem->hide(); };
    connect(m_picturesPerPage, &QComboBox::currentIndexChanged, this, changed);
    connect(m_paperSize, &QComboBox::currentIndexChanged, this, changed);
    connect(m_orientation, &QComboBox::currentIndexChanged, this, changed);
    connect(m_margin, &QDoubleSpinBox::valueChanged, this, changed);
    connect(m_captionPattern, &QLineEdit::textChanged, this, changed);
    connect(m_customGrid, &QLineEdit::textChanged, this, changed);
    connect(m_customGrid, &QLineEdit::textChanged, this,
            &DocumentOptionsDialog::updateAutoOrientation);

    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(m_template, 1);
    templateRow->addWidget(m_templateButton);
    templateRow->addWidget(m_templateClear);
    // The read-only path takes no keys: the template's mnemonic leads to "Choose...".
    auto* templateLabel = new QLabel(QStringLiteral("&Template:"), this);
    templateLabel->setBuddy(m_templateButton);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Caption under each picture:"), m_caption);
    form->addRow(QStringLiteral("Caption patt&ern:"), m_captionPattern);
    form->addRow(QString(), m_captionPreview);
    form->addRow(QStringLiteral("&Pictures per page:"), m_picturesPerPage);
    form->addRow(QStringLiteral("Custom &grid:"), m_customGrid);
    form->addRow(QString(), m_fitToPage);
    form->addRow(QStringLiteral("Paper &size:"), m_paperSize);
    form->addRow(QStringLiteral("&Orientation:"), m_orientation);
    form->addRow(QString(), m_orientationNote);
    form->addRow(QStringLiteral("&Margins:"), m_margin);
    form->addRow(templateLabel, templateRow);
    form->addRow(QStringLiteral("Picture si&ze:"), m_pictureSize);
    form->addRow(QString(), m_stripMetadata);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_problem);
    column->addSpacing(6);
    column->addWidget(m_buttons);
    // As large as its contents need and no larger: there is nothing to gain from resizing.
    column->setSizeConstraint(QLayout::SetFixedSize);

    showDocumentOptions(current);
}

DocumentOptions DocumentOptionsDialog::documentOptions() const {
    return {albumLayout(), picturePolicy()};
}

AlbumLayout DocumentOptionsDialog::albumLayout() const {
    AlbumLayout shown;
    // A pattern that cannot be used leaves the default, as in the settings; OK refuses it.
    readCaption(captionChoice(m_caption, m_captionPattern), shown);
    // A grid that cannot be used leaves the default, as in the settings; OK refuses it.
    readPicturesPerPage(picturesPerPageChoice(m_picturesPerPage, m_customGrid), shown);
    shown.fitToPage = m_fitToPage->isChecked();
    PageSetup& page = shown.page;
    page.paper = paperSizeFromText(m_paperSize->currentData().toString());
    page.orientation = static_cast<PageOrientation>(m_orientation->currentData().toInt());
    if (m_margin->value() >= 0.0) {
        page.margin = static_cast<int>(std::lround(m_margin->value() * 100.0));
    }
    page.templatePath = m_template->text();
    return shown;
}

PicturePolicy DocumentOptionsDialog::picturePolicy() const {
    PicturePolicy shown;
    shown.pixelsPerInch = m_pictureSize->currentData().toInt();
    shown.jpegQuality = m_jpegQuality;
    shown.stripMetadata = m_stripMetadata->isChecked();
    return shown;
}

void DocumentOptionsDialog::showDocumentOptions(const DocumentOptions& shown) {
    const AlbumLayout& layout = shown.layout;
    int caption = m_caption->count() - 1;
    for (int i = 0; i < m_caption->count() - 1; ++i) {
        if (m_caption->itemData(i).toString() == captionText(layout)) {
            caption = i;
        }
    }
    m_ownPattern = layout.captionPattern.text();
    m_caption->setCurrentIndex(caption);
    captionChosen();
    // A grid that is no entry of its own shows as the custom one.
    const QString perPage = picturesPerPageText(layout);
    const int perPageEntry = m_picturesPerPage->findData(perPage);
    m_picturesPerPage->setCurrentIndex(perPageEntry >= 0 ? perPageEntry
                                                         : m_picturesPerPage->count() - 1);
    m_customGrid->setText(perPageEntry >= 0 ? QString() : perPage);
    m_customGrid->setEnabled(perPageEntry < 0);
    m_fitToPage->setChecked(layout.fitToPage);

    const PageSetup& page = layout.page;
    // A paper of its own size gets an entry of its own, so that OK keeps it as it was.
    while (m_paperSize->count() > kNamedPaperEntries) {
        m_paperSize->removeItem(kNamedPaperEntries);
    }
    const QString paper = page.paper ? paperSizeText(*page.paper) : QString();
    if (m_paperSize->findData(paper) < 0) {
        m_paperSize->addItem(paper, paper);
    }
    selectByData(m_paperSize, paper);
    m_autoSetAside = false;
    selectByData(m_orientation, static_cast<int>(page.orientation));
    m_margin->setValue(page.margin ? *page.margin / 100.0 : kNoMargin);
    m_template->setText(page.templatePath);
    updateAutoOrientation();

    // Likewise a size that is no preset, so that OK keeps it.
    const PicturePolicy& pictures = shown.pictures;
    while (m_pictureSize->count() > kNamedPictureSizeEntries) {
        m_pictureSize->removeItem(kNamedPictureSizeEntries);
    }
    if (m_pictureSize->findData(pictures.pixelsPerInch) < 0) {
        m_pictureSize->addItem(QStringLiteral("%1 ppi").arg(pictures.pixelsPerInch),
                               pictures.pixelsPerInch);
    }
    selectByData(m_pictureSize, pictures.pixelsPerInch);
    m_stripMetadata->setChecked(pictures.stripMetadata);
    m_jpegQuality = pictures.jpegQuality;
    m_problem->hide();
}

void DocumentOptionsDialog::accept() {
    const AlbumLayout shown = albumLayout();
    QString problem = pageSetupProblem(shown);
    AlbumLayout grid;
    QString gridProblem;
    if (!readPicturesPerPage(picturesPerPageChoice(m_picturesPerPage, m_customGrid), grid,
                             &gridProblem)) {
        problem = QStringLiteral("the custom grid \"%1\" cannot be used: %2")
                      .arg(m_customGrid->text(), gridProblem);
    }
    AlbumLayout pattern;
    QString patternProblem;
    if (!readCaption(captionChoice(m_caption, m_captionPattern), pattern, &patternProblem)) {
        problem = QStringLiteral("the caption pattern cannot be used: ") + patternProblem;
    }
    if (!problem.isEmpty()) {
        problem[0] = problem[0].toUpper();
        m_problem->setText(problem + QLatin1Char('.'));
        m_problem->show();
        return;
    }
    m_problem->hide();
    QDialog::accept();
}

void DocumentOptionsDialog::updateAutoOrientation() {
    // The choice as OK would read it, so that a custom "1x1" is one picture a page too.
    AlbumLayout chosen;
    const bool onePerPage =
        readPicturesPerPage(picturesPerPageChoice(m_picturesPerPage, m_customGrid), chosen) &&
        chosen.picturesPerPage == 1;
    const int autoIndex = m_orientation->findData(static_cast<int>(PageOrientation::Auto));
    if (auto* model = qobject_cast<QStandardItemModel*>(m_orientation->model())) {
        model->item(autoIndex)->setEnabled(onePerPage);
    }
    if (!onePerPage && m_orientation->currentIndex() == autoIndex) {
        m_autoSetAside = true;
        selectByData(m_orientation, static_cast<int>(PageOrientation::Office));
    } else if (onePerPage && m_autoSetAside) {
        m_autoSetAside = false;
        m_orientation->setCurrentIndex(autoIndex);
    }
    m_orientationNote->setVisible(!onePerPage);
    m_orientation->setAccessibleDescription(onePerPage ? QString() : kAutoNeedsOnePerPage);
}

void DocumentOptionsDialog::chooseTemplate() {
    const QString chosen = m_chooseTemplate ? m_chooseTemplate() : QString();
    if (!chosen.isEmpty()) {
        m_template->setText(chosen);
    }
}

void DocumentOptionsDialog::setPreviewPicture(const QString& path) {
    m_previewPicture = path;
    m_previewFacts.reset();
    updateCaptionPreview();
}

void DocumentOptionsDialog::captionChosen() {
    const int index = m_caption->currentIndex();
    const bool pattern = index >= kFirstPatternEntry;
    m_captionPattern->setEnabled(pattern);
    if (!pattern) {
        m_captionPattern->clear();
    } else if (index == m_caption->count() - 1) {
        m_captionPattern->setText(m_ownPattern);
    } else {
        m_captionPattern->setText(m_caption->currentData().toString());
    }
    updateCaptionPreview();
}

void DocumentOptionsDialog::captionPatternEdited(const QString& text) {
    m_ownPattern = text;
    int index = m_caption->count() - 1;
    for (int i = kFirstPatternEntry; i < m_caption->count() - 1; ++i) {
        if (m_caption->itemData(i).toString() == text) {
            index = i;
        }
    }
    // The text stays as typed: choosing the entry here must not put the entry's text in.
    const QSignalBlocker keepText(m_caption);
    m_caption->setCurrentIndex(index);
}

void DocumentOptionsDialog::updateCaptionPreview() {
    AlbumLayout layout;
    QString problem;
    if (!readCaption(captionChoice(m_caption, m_captionPattern), layout, &problem)) {
        m_captionPreview->setText(QStringLiteral("This pattern cannot be used: ") + problem +
                                  QLatin1Char('.'));
        m_captionPreview->show();
        return;
    }
    if (layout.caption == CaptionKind::None || m_previewPicture.isEmpty()) {
        m_captionPreview->hide();
        return;
    }
    // The first picture's file is read once, for every field that reads it.
    if (!m_previewFacts && layout.caption == CaptionKind::Pattern) {
        static const CaptionPattern fromTheFile =
            CaptionPattern::parse(QStringLiteral("{date}{description}")).value();
        m_previewFacts = readCaptionFacts(m_previewPicture, fromTheFile);
    }
    const QString line = captionLine(
        captionPieces(layout, m_previewPicture, m_previewFacts.value_or(PictureFacts())), 1);
    m_captionPreview->setText(QStringLiteral("Under the first picture: ") + line);
    m_captionPreview->show();
}
