#pragma once

#include "builder/OfficeArguments.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Sequence.hxx>

#include <QString>

#include <rtl/ustring.hxx>

// The suite's name-and-value pairs: every dispatched command takes its arguments as a
// 0-based list of them.
using PropertyList = css::uno::Sequence<css::beans::PropertyValue>;

// One argument of a command; the value keeps its type (text, Boolean, 16-bit integer).
css::beans::PropertyValue NewPropertyValue(const QString& name, const OfficeValue& value);

// The suite's form of a command's arguments.
PropertyList toPropertyList(const OfficeArguments& arguments);

// Text between Qt and the suite; both hold UTF-16, so nothing is lost either way.
rtl::OUString toOUString(const QString& text);
QString fromOUString(const rtl::OUString& text);

// Waits, in the event loop, until the office has brought a document's view up to date after
// the last change or store. A moment after those the office updates its clipboard state, and
// with its GTK integration it waits for the system clipboard in the middle of that update and
// lets other calls in meanwhile: a document closed then is destroyed under the update, and the
// whole office crashes with it. Closing a document after this wait keeps clear of that.
void waitForViewToSettle();
