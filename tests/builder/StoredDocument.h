#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A Writer document that the suite holds open, stored to a file in the suite's own format
// and read back: which pictures it holds, where they point, and where its page breaks are.
struct StoredDocument {
    // Stores the one text document open in the suite at `connection` to `path` (format
    // writer8) and closes it in the suite; a document whose text is `userText` is a person's
    // own and left alone (of `alike` equal ones open, any one). Fails the test through `error`.
    static StoredDocument storeOpenDocument(const QString& connection, const QString& path,
                                            QString* error, const QString& userText = {},
                                            int alike = 1);

    // Reads an ODT file on disk (through unzip): its layout and its pictures' bytes.
    static StoredDocument readOdt(const QString& path);

    // Reads the layout from the document's content.xml.
    void analyse(const QString& contentXml);

    QStringList packageEntries;
    // The body in document order: "P" for a picture, "B" for a page break before a paragraph.
    QString layout;
    // The link of every picture, in order, and with readOdt() the bytes it points to.
    QStringList imageLinks;
    QList<QByteArray> pictureBytes;
    // The texts of the paragraphs in the "Caption" style (or a style based on it), in order.
    QStringList captions;
    int openDocuments = 0;

    int pictures() const { return static_cast<int>(layout.count(QLatin1Char('P'))); }
    int pageBreaks() const { return static_cast<int>(layout.count(QLatin1Char('B'))); }
};
