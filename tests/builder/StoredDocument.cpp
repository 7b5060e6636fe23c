#include "tests/builder/StoredDocument.h"

#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"
#include "tests/support/TestFiles.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/exc_hlp.hxx>

#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

QByteArray readAll(const css::uno::Reference<css::io::XInputStream>& stream) {
    QByteArray bytes;
    css::uno::Sequence<sal_Int8> chunk;
    while (stream->readBytes(chunk, 65536) > 0) {
        bytes.append(reinterpret_cast<const char*>(chunk.getConstArray()), chunk.getLength());
    }
    return bytes;
}

} // namespace

StoredDocument StoredDocument::storeOpenDocument(const QString& connection, const QString& path,
                                                 QString* error, const QString& userText,
                                                 int alike) {
    StoredDocument stored;
    try {
        const auto link = UnoOfficeBridge::connectToOffice(connection);
        const auto context = link->context();
        const auto desktop = css::frame::Desktop::create(context);
        const auto documents = desktop->getComponents()->createEnumeration();
        css::uno::Reference<css::frame::XStorable> text;
        while (documents->hasMoreElements()) {
            css::uno::Reference<css::lang::XServiceInfo> info(documents->nextElement(),
                                                              css::uno::UNO_QUERY);
            const css::uno::Reference<css::text::XTextDocument> document(info, css::uno::UNO_QUERY);
            if (document.is() && !userText.isEmpty() &&
                fromOUString(document->getText()->getString()) == userText) {
                continue;
            }
            if (info.is() && info->supportsService("com.sun.star.text.TextDocument")) {
                ++stored.openDocuments;
                text.set(info, css::uno::UNO_QUERY_THROW);
            }
        }
        if (stored.openDocuments != alike) {
            *error = QStringLiteral("%1 text documents are open").arg(stored.openDocuments);
            return stored;
        }
        const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
        css::uno::Sequence<css::beans::PropertyValue> format(1);
        format.getArray()[0] =
            NewPropertyValue(QStringLiteral("FilterName"), QStringLiteral("writer8"));
        text->storeToURL(toOUString(url), format);
        waitForViewToSettle();
        css::uno::Reference<css::util::XCloseable>(text, css::uno::UNO_QUERY_THROW)->close(true);

        // The suite's own package reader lists and reads the stored file.
        const auto factory = context->getServiceManager();
        css::uno::Sequence<css::uno::Any> arguments(1);
        arguments.getArray()[0] <<= toOUString(url);
        css::uno::Reference<css::container::XNameAccess> package(
            factory->createInstanceWithArgumentsAndContext(
                "com.sun.star.packages.zip.ZipFileAccess", arguments, context),
            css::uno::UNO_QUERY_THROW);
        for (const auto& name : package->getElementNames()) {
            stored.packageEntries.append(fromOUString(name));
        }
        css::uno::Reference<css::io::XInputStream> content(package->getByName("content.xml"),
                                                           css::uno::UNO_QUERY_THROW);
        stored.analyse(QString::fromUtf8(readAll(content)));
    } catch (const AppError& e) {
        *error = e.description();
    } catch (const css::uno::Exception& e) {
        *error = fromOUString(e.Message);
    }
    return stored;
}

StoredDocument StoredDocument::readOdt(const QString& path) {
    StoredDocument stored;
    stored.analyse(
        QString::fromUtf8(commandOutput(QStringLiteral("unzip"), {"-p", path, "content.xml"})));
    for (const QString& link : std::as_const(stored.imageLinks)) {
        stored.pictureBytes.append(commandOutput(QStringLiteral("unzip"), {"-p", path, link}));
    }
    return stored;
}

void StoredDocument::analyse(const QString& contentXml) {
    QSet<QString> breakStyles;
    QSet<QString> captionStyles{QStringLiteral("Caption")};
    {
        QXmlStreamReader xml(contentXml);
        QString style;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.qualifiedName() == QLatin1String("style:style")) {
                style = xml.attributes().value(QStringLiteral("style:name")).toString();
                if (xml.attributes().value(QStringLiteral("style:parent-style-name")) ==
                    QLatin1String("Caption")) {
                    captionStyles.insert(style);
                }
            } else if (xml.qualifiedName() == QLatin1String("style:paragraph-properties") &&
                       xml.attributes().value(QStringLiteral("fo:break-before")) ==
                           QLatin1String("page")) {
                breakStyles.insert(style);
            }
        }
    }
    QXmlStreamReader xml(contentXml);
    bool inBody = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto name = xml.qualifiedName();
        if (name == QLatin1String("office:text")) {
            inBody = true;
        } else if (inBody && (name == QLatin1String("text:p") || name == QLatin1String("text:h"))) {
            const QString style =
                xml.attributes().value(QStringLiteral("text:style-name")).toString();
            if (breakStyles.contains(style)) {
                layout.append(QLatin1Char('B'));
            }
            if (captionStyles.contains(style)) {
                captions.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            }
        } else if (inBody && name == QLatin1String("draw:image")) {
            layout.append(QLatin1Char('P'));
            imageLinks.append(xml.attributes().value(QStringLiteral("xlink:href")).toString());
        }
    }
}
