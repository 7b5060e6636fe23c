// The ways pictures enter the list: the open-file dialog, a whole folder tree, drops,
// and the bundled samples.
#include "Form1.h"

#include <QMimeData>

void Form1::PushButton1_Click() {}

void Form1::PushButton4_Click() {}

void Form1::PushButton11_Click() {}

bool Form1::ListView1_OLEDragOver(const QMimeData*) const {
    return false;
}

void Form1::ListView1_OLEDragDrop(const QMimeData*) {}
