#include "core/PageSetup.h"

#include <QRegularExpression>

#include <array>
#include <cmath>
#include <utility>

namespace {

struct NamedPaper {
    const char* name;
    QSize size;
};

constexpr std::array<NamedPaper, 4> kNamedPapers{{
    {"a4", QSize(21000, 29700)},
    {"a5", QSize(14800, 21000)},
    {"letter", QSize(21590, 27940)},
    {"legal", QSize(21590, 35560)},
}};

// A length of `text` millimetres from `low` to `high`, in hundredths of a millimetre.
// A decimal comma ("12,5"), as many people write it, counts as the point.
std::optional<int> millimetres(QString text, double low, double high) {
    static const QRegularExpression number(QStringLiteral("^[0-9]+([.,][0-9]+)?$"));
    if (!number.match(text).hasMatch()) {
        return std::nullopt;
    }
    const double mm = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    if (mm < low || mm > high) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(mm * 100.0));
}

QString millimetreText(int length) {
    return QString::number(length / 100.0, 'f', 2).remove(QRegularExpression("\\.?0+$"));
}

} // namespace

bool PageSetup::operator==(const PageSetup& other) const {
    return paper == other.paper && orientation == other.orientation && margin == other.margin &&
           templatePath == other.templatePath;
}

std::optional<QSize> paperSizeFromText(const QString& text) {
    const QString word = text.trimmed().toLower();
    for (const NamedPaper& paper : kNamedPapers) {
        if (word == QLatin1String(paper.name)) {
            return paper.size;
        }
    }
    static const QRegularExpression custom(QStringLiteral("^([0-9.,]+)x([0-9.,]+)mm$"));
    const QRegularExpressionMatch match = custom.match(word);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const auto width = millimetres(match.captured(1), 10, 3000);
    const auto height = millimetres(match.captured(2), 10, 3000);
    if (!width || !height) {
        return std::nullopt;
    }
    return QSize(*width, *height);
}

QString paperSizeText(const QSize& paper) {
    for (const NamedPaper& named : kNamedPapers) {
        if (paper == named.size) {
            return QString::fromLatin1(named.name);
        }
    }
    return millimetreText(paper.width()) + QLatin1Char('x') + millimetreText(paper.height()) +
           QStringLiteral("mm");
}

std::optional<PageOrientation> pageOrientationFromText(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("portrait")) {
        return PageOrientation::Portrait;
    }
    if (word == QLatin1String("landscape")) {
        return PageOrientation::Landscape;
    }
    if (word == QLatin1String("auto")) {
        return PageOrientation::Auto;
    }
    return std::nullopt;
}

QString pageOrientationText(PageOrientation orientation) {
    switch (orientation) {
    case PageOrientation::Portrait:
        return QStringLiteral("portrait");
    case PageOrientation::Landscape:
        return QStringLiteral("landscape");
    case PageOrientation::Auto:
        return QStringLiteral("auto");
    case PageOrientation::Office:
        break;
    }
    return QString();
}

std::optional<int> marginFromText(const QString& text) {
    return millimetres(text.trimmed(), 0, 1000);
}

QString marginText(int margin) {
    return millimetreText(margin);
}

bool marginLeavesRoom(const QSize& paper, int margin) {
    return std::min(paper.width(), paper.height()) - 2 * margin >= kMinimumTextArea;
}

QSize orientedPaper(const QSize& paper, PageOrientation orientation) {
    const bool wide = paper.width() > paper.height();
    if ((orientation == PageOrientation::Portrait && wide) ||
        (orientation == PageOrientation::Landscape && !wide && paper.width() != paper.height())) {
        return paper.transposed();
    }
    return paper;
}
