#include "app/DocumentOptionsDialog.h"

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
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The paper entries every dialog has; a custom paper shown is added after them.
constexpr int kNamedPaperEntries = 5;

// The margin box's minimum, shown as "Office default": no margin of our own. One step up from
// it is 0 mm.
constexpr double kNoMargin = -0.5;

// Selects the entry whose data is `value`; the first entry when none has it.
void selectByData(QComboBox* box, const QVariant& value) {
    const int index = box->findData(value);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace

DocumentOptionsDialog::DocumentOptionsDialog(const AlbumLayout& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DocumentOptionsDialog"));
    setWindowTitle(QStringLiteral("Document Options"));

    m_caption = new QComboBox(this);
    m_caption->setObjectName(QStringLiteral("captionBox"));
    m_caption->addItem(QStringLiteral("None"), static_cast<int>(CaptionKind::None));
    m_caption->addItem(QStringLiteral("File name"), static_cast<int>(CaptionKind::Name));
    m_caption->addItem(QStringLiteral("File name without extension"),
                       static_cast<int>(CaptionKind::Stem));

    m_picturesPerPage = new QComboBox(this);
    m_picturesPerPage->setObjectName(QStringLiteral("picturesPerPageBox"));
    for (const int count : {1, 2, 4}) {
        m_picturesPerPage->addItem(QString::number(count), count);
    }

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
    // Room for a path of some length; a longer one scrolls, and its tooltip shows all of it.
    m_template->setMinimumWidth(m_template->fontMetrics().averageCharWidth() * 32);
    m_templateButton = new QPushButton(QStringLiteral("C&hoose..."), this);
    m_templateButton->setObjectName(QStringLiteral("templateButton"));
    m_templateClear = new QPushButton(QStringLiteral("C&lear"), this);
    m_templateClear->setObjectName(QStringLiteral("templateClear"));
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

    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(m_template, 1);
    templateRow->addWidget(m_templateButton);
    templateRow->addWidget(m_templateClear);
    // The read-only path takes no keys: the template's mnemonic leads to "Choose...".
    auto* templateLabel = new QLabel(QStringLiteral("&Template:"), this);
    templateLabel->setBuddy(m_templateButton);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Caption under each picture:"), m_caption);
    form->addRow(QStringLiteral("&Pictures per page:"), m_picturesPerPage);
    form->addRow(QString(), m_fitToPage);
    form->addRow(QStringLiteral("Paper &size:"), m_paperSize);
    form->addRow(QStringLiteral("&Orientation:"), m_orientation);
    form->addRow(QStringLiteral("&Margins:"), m_margin);
    form->addRow(templateLabel, templateRow);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_problem);
    column->addSpacing(6);
    column->addWidget(m_buttons);
    // As large as its contents need and no larger: there is nothing to gain from resizing.
    column->setSizeConstraint(QLayout::SetFixedSize);

    showAlbumLayout(current);
}

AlbumLayout DocumentOptionsDialog::albumLayout() const {
    AlbumLayout shown;
    shown.caption = static_cast<CaptionKind>(m_caption->currentData().toInt());
    shown.picturesPerPage = m_picturesPerPage->currentData().toInt();
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

void DocumentOptionsDialog::showAlbumLayout(const AlbumLayout& shown) {
    selectByData(m_caption, static_cast<int>(shown.caption));
    selectByData(m_picturesPerPage, shown.picturesPerPage);
    m_fitToPage->setChecked(shown.fitToPage);

    const PageSetup& page = shown.page;
    // A paper of its own size gets an entry of its own, so that OK keeps it as it was.
    while (m_paperSize->count() > kNamedPaperEntries) {
        m_paperSize->removeItem(kNamedPaperEntries);
    }
    const QString paper = page.paper ? paperSizeText(*page.paper) : QString();
    if (m_paperSize->findData(paper) < 0) {
        m_paperSize->addItem(paper, paper);
    }
    selectByData(m_paperSize, paper);
    selectByData(m_orientation, static_cast<int>(page.orientation));
    m_margin->setValue(page.margin ? *page.margin / 100.0 : kNoMargin);
    m_template->setText(page.templatePath);
    updateAutoOrientation();
    m_problem->hide();
}

void DocumentOptionsDialog::accept() {
    const AlbumLayout shown = albumLayout();
    QString problem = pageSetupProblem(shown.page, shown.picturesPerPage);
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
    const bool onePerPage = m_picturesPerPage->currentData().toInt() == 1;
    const int autoIndex = m_orientation->findData(static_cast<int>(PageOrientation::Auto));
    if (auto* model = qobject_cast<QStandardItemModel*>(m_orientation->model())) {
        model->item(autoIndex)->setEnabled(onePerPage);
    }
    if (!onePerPage && m_orientation->currentIndex() == autoIndex) {
        selectByData(m_orientation, static_cast<int>(PageOrientation::Office));
    }
}

void DocumentOptionsDialog::chooseTemplate() {
    const QString chosen = m_chooseTemplate ? m_chooseTemplate() : QString();
    if (!chosen.isEmpty()) {
        m_template->setText(chosen);
    }
}
