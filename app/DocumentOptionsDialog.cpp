#include "app/DocumentOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

// Selects the entry whose data is `value`; the first entry when none has it.
void selectByData(QComboBox* box, int value) {
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

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Caption under each picture:"), m_caption);
    form->addRow(QStringLiteral("&Pictures per page:"), m_picturesPerPage);
    form->addRow(QString(), m_fitToPage);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
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
    return shown;
}

void DocumentOptionsDialog::showAlbumLayout(const AlbumLayout& shown) {
    selectByData(m_caption, static_cast<int>(shown.caption));
    selectByData(m_picturesPerPage, shown.picturesPerPage);
    m_fitToPage->setChecked(shown.fitToPage);
}
