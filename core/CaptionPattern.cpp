#include "core/CaptionPattern.h"

#include "core/AlbumLayout.h"
#include "core/FileNames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<const char*, CaptionField>, 6> kFields{{
    {"name", CaptionField::Name},
    {"stem", CaptionField::Stem},
    {"folder", CaptionField::Folder},
    {"date", CaptionField::Date},
    {"description", CaptionField::Description},
    {"n", CaptionField::Number},
}};

std::optional<CaptionField> fieldNamed(const QString& name) {
    for (const auto& [word, field] : kFields) {
        if (name == QLatin1String(word)) {
            return field;
        }
    }
    return std::nullopt;
}

// The name of the folder that holds the file at `path`; "" for a file at the root.
QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) {
        return {};
    }
    const qsizetype before = path.lastIndexOf(QLatin1Char('/'), slash - 1);
    return path.mid(before + 1, slash - before - 1);
}

QString fieldText(CaptionField field, const QString& path, const PictureFacts& facts) {
    switch (field) {
    case CaptionField::Name:
        return captionFor(path, CaptionKind::Name);
    case CaptionField::Stem:
        return captionFor(path, CaptionKind::Stem);
    case CaptionField::Folder:
        return folderOf(path);
    case CaptionField::Date:
        return facts.date;
    case CaptionField::Description:
        return facts.description;
    case CaptionField::Number:
        break;
    }
    return {};
}

// A caption is one line: a newline or a tab from a description or a file name would break it
// up. Bytes of a file name that are no UTF-8 show as "\xFF", as everywhere else.
QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            c = QLatin1Char(' ');
        }
    }
    return displayFileName(text);
}

} // namespace

std::optional<CaptionPattern> CaptionPattern::parse(const QString& text, QString* problem) {
    const auto refuse = [problem](const QString& why) -> std::optional<CaptionPattern> {
        if (problem != nullptr) {
            *problem = why;
        }
        return std::nullopt;
    };
    CaptionPattern pattern;
    pattern.m_text = text;
    QString literal;
    bool numbered = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool brace = c == QLatin1Char('{') || c == QLatin1Char('}');
        if (brace && i + 1 < text.size() && text.at(i + 1) == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == QLatin1Char('}')) {
            return refuse(QStringLiteral("the \"}\" at character %1 closes no field (\"}}\" "
                                         "writes one)")
                              .arg(i + 1));
        }
        if (c != QLatin1Char('{')) {
            literal += c;
            continue;
        }
        const qsizetype end = text.indexOf(QLatin1Char('}'), i + 1);
        const qsizetype nextOpen = text.indexOf(QLatin1Char('{'), i + 1);
        if (end < 0 || (nextOpen >= 0 && nextOpen < end)) {
            return refuse(QStringLiteral("the \"{\" at character %1 is not closed (\"{{\" "
                                         "writes one)")
                              .arg(i + 1));
        }
        const QString name = text.mid(i + 1, end - i - 1);
        const std::optional<CaptionField> field = fieldNamed(name);
        if (!field) {
            return refuse(QStringLiteral("there is no field {%1}; the fields are {name}, {stem}, "
                                         "{folder}, {date}, {description} and {n}")
                              .arg(name));
        }
        if (*field == CaptionField::Number && std::exchange(numbered, true)) {
            return refuse(QStringLiteral("{n} stands only once in a caption"));
        }
        if (!literal.isEmpty()) {
            pattern.m_segments.append({std::exchange(literal, QString()), std::nullopt});
        }
        pattern.m_segments.append({QString(), field});
        i = end;
    }
    if (!literal.isEmpty()) {
        pattern.m_segments.append({literal, std::nullopt});
    }
    if (std::none_of(pattern.m_segments.cbegin(), pattern.m_segments.cend(),
                     [](const Segment& segment) { return segment.field.has_value(); })) {
        return refuse(QStringLiteral("it has no field, such as {stem} or {n}"));
    }
    return pattern;
}

bool CaptionPattern::uses(CaptionField field) const {
    for (const Segment& segment : m_segments) {
        if (segment.field == field) {
            return true;
        }
    }
    return false;
}

QList<CaptionPiece> CaptionPattern::pieces(const QString& path, const PictureFacts& facts) const {
    QList<CaptionPiece> pieces;
    QString text;
    for (const Segment& segment : m_segments) {
        if (segment.field != CaptionField::Number) {
            text += segment.field ? fieldText(*segment.field, path, facts) : segment.text;
            continue;
        }
        if (!text.isEmpty()) {
            pieces.append({oneLine(std::exchange(text, QString()))});
        }
        pieces.append({QString(), true});
    }
    if (!text.isEmpty()) {
        pieces.append({oneLine(text)});
    }
    return pieces;
}

QString captionLine(const QList<CaptionPiece>& pieces, int number) {
    QString line;
    for (const CaptionPiece& piece : pieces) {
        line += piece.number ? QString::number(number) : piece.text;
    }
    return line;
}
