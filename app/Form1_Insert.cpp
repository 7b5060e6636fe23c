// Building the document: the insert run and the start-up check for the office suite.
#include "Form1.h"

void Form1::PushButton2_Click() {}

void Form1::CheckOfficeSuite() {}
