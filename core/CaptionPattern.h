#pragma once

#include <QList>
#include <QString>

#include <optional>

// What a field of a caption pattern stands for: the file name, the file name without its
// extension, the name of the folder that holds the file, the date the photo was taken, the
// photo's own description, and the picture's number in the document.
enum class CaptionField { Name, Stem, Folder, Date, Description, Number };

// What the fields read from the picture file itself; empty where the file tells nothing.
struct PictureFacts {
    // In the user's short date form.
    QString date;
    QString description;
};

// One piece of a caption as it goes into the document: text, or the picture's number, which
// the office writes as a figure number of its own so that it follows when pages move.
struct CaptionPiece {
    QString text;
    bool number = false;

    bool operator==(const CaptionPiece&) const = default;
};

// A caption written as text with fields in braces, "{n}. {stem}, {date}": each picture's
// caption is the text with every field filled in for that picture. "{{" and "}}" stand for a
// brace of their own. A pattern has at least one field and {n} at most once (each {n} counts
// one figure).
class CaptionPattern {
public:
    // An empty pattern, which no caption uses.
    CaptionPattern() = default;

    // The pattern written in `text`, or none with the reason in `problem` ("there is no field
    // {nope}").
    static std::optional<CaptionPattern> parse(const QString& text, QString* problem = nullptr);

    // As it was written.
    const QString& text() const { return m_text; }
    bool uses(CaptionField field) const;

    // The caption of the picture at `path` with `facts` from its file: text pieces as a person
    // reads them (on one line, with the odd bytes of a file name shown as "\xFF"), and the
    // number a piece of its own.
    QList<CaptionPiece> pieces(const QString& path, const PictureFacts& facts) const;

    bool operator==(const CaptionPattern& other) const { return m_text == other.m_text; }

private:
    struct Segment {
        QString text;
        std::optional<CaptionField> field;
    };

    QString m_text;
    QList<Segment> m_segments;
};

// The caption as one line of text, with the number written as `number`: what a preview shows.
QString captionLine(const QList<CaptionPiece>& pieces, int number);
