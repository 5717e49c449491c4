#pragma once
// The printed allergy list ("アレルギー印刷") and device list ("デバイス印刷")
// of a patient: the page head and the same tables the printed summary uses.

#include <QtGlobal>

class TplPrev;
class TplSetPrinter;
class QWidget;

// Each records its document; false, with the reason shown, when there is
// nothing to print. The caller shows the preview.
bool PrtAllergy(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id);
bool PrtDevice(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id);
