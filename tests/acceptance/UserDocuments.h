#pragma once

#include <QList>
#include <QString>

// What a person sees of the documents in an office suite: each one's kind, its file (empty
// when it was never saved), whether it holds unsaved changes, and its text.
struct UserDocument {
    bool isText = false;
    QString url;
    bool modified = false;
    QString text;
};

// The documents of the office at `connection`, read without changing them; false with `error`
// set when the office cannot be asked within `timeoutMs`.
bool listUserDocuments(const QString& connection, QList<UserDocument>* documents, QString* error,
                       int timeoutMs = 20000);

// Opens a new Writer document in the office at `connection`, types `text` into it and leaves
// it open and unsaved, as a person at work would; in a window of its own unless `hidden`.
bool openUnsavedUserDocument(const QString& connection, const QString& text, QString* error,
                             bool hidden = true);

// Closes every document of the office at `connection` whose text is not `keepText`; the
// number closed, or -1 with `error` set.
int closeOtherDocuments(const QString& connection, const QString& keepText, QString* error);
