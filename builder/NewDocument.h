#pragma once

#include <QString>

#include <memory>

class OfficeDesktop;
class OfficeDocument;

// The document an insert run builds: the user's template at `templatePath` opened as a
// template (untitled), or a new text document when there is none. Throws AppError, naming the
// template as the user knows it, when it cannot be opened.
std::unique_ptr<OfficeDocument> openNewDocument(OfficeDesktop& desktop,
                                                const QString& templatePath);
