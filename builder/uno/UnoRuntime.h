#pragma once

#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>

// The local end of every connection to an office: created once per process, on first use,
// and kept. Throws AppError when the office's runtime cannot be set up.
css::uno::Reference<css::uno::XComponentContext> localUnoContext();

// The office's "soffice" as the runtime finds it: in the folder named by UNO_PATH, or else
// on PATH with its links resolved. Empty when there is none.
QString findOfficeProgram();

// Marks a new private profile's bundled extensions as synced with the installation in
// `programFolder`, so that the office starts once on it instead of twice.
void markExtensionsSynced(const QString& profileFolder, const QString& programFolder);
