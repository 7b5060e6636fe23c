#pragma once

#include <QList>
#include <QString>

#include <variant>

// One value of a command's argument, keeping its type: the suite tells text, Booleans and
// 16-bit integers apart ("Kind" must be a short, "AsLink" a Boolean).
using OfficeValue = std::variant<QString, bool, short>;

// A name-and-value pair, as every dispatched command takes its arguments.
struct OfficeArgument {
    QString name;
    OfficeValue value;

    friend bool operator==(const OfficeArgument&, const OfficeArgument&) = default;
};

// A command's arguments, 0-based; an empty list for a command without arguments.
using OfficeArguments = QList<OfficeArgument>;

// Readable form of an argument for reports and tests: "Kind short 3", "AsLink boolean false".
QString describeArgument(const OfficeArgument& argument);
