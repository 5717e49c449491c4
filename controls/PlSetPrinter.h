#pragma once
// TplSetPrinter: chooses the printer and its paper, orientation and
// resolution for the page-recording component TplPrev.
//
// The printer comes from the platform (QPrinterInfo, i.e. CUPS on Linux).
// When no printer is installed the component still answers with an
// internal A4 portrait paper at 600 dpi whose whole sheet is printable, so
// that documents can be recorded, previewed and saved as PDF; printing and
// the printer setup dialog are then refused.
//
// The report preamble:
//   set.SetPrinterName(TplSetPrinter::DefaultPrinterName());
//   set.GetPrinterInfo(false);
//   set.SetPaperNumber(9);            // A4
//   set.SetOrientation(poPortrait);
//   set.CallSetting();
//   prev.SetplSetPrinter(&set);

#include <QObject>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <memory>

class QPageLayout;
class QPrinter;
class QWidget;

enum TPrinterOrientation { poPortrait, poLandscape };

// Paper geometry of the selected printer. Sizes and offsets in tenths of a
// millimetre on the sheet; pixel sizes and resolutions as the printer
// reports them.
struct TPaperGeometry {
    int pixelWidth = 0;   // physical sheet in printer pixels
    int pixelHeight = 0;
    int dpiX = 600;
    int dpiY = 600;
    int width = 2100;     // sheet in tenths of a millimetre
    int height = 2970;
    int printLeft = 0;    // printable area (left/top rounded up)
    int printTop = 0;
    int printRight = 2100;
    int printBottom = 2970;
    QString paperName = QStringLiteral("A4");
};

class TplSetPrinter : public QObject {
    Q_OBJECT
public:
    explicit TplSetPrinter(QObject* parent = nullptr);
    ~TplSetPrinter() override;

    // Names of the installed printers and the system default ("" when none).
    static QStringList InstalledPrinters();
    static QString DefaultPrinterName();

    // Selects a printer by name; a name that is not installed selects the
    // system default printer. Without printers the name stays empty.
    void SetPrinterName(const QString& name);
    QString PrinterName() const { return FPrinterName; }
    int PrinterCount() const { return FPrinterCount; }
    bool NoPrinter() const { return !FPrinter; }

    // Reads the current printer's paper and orientation into the component.
    // With resetToDefaults the printer's driver defaults are taken first
    // (the paper and orientation the printer itself reports as default).
    void GetPrinterInfo(bool resetToDefaults);

    // Paper by the platform's paper code (1 Letter, 5 Legal, 8 A3, 9 A4,
    // 11 A5, 12 B4, 13 B5, 43 postcard, 70 A6). Codes the printer does not
    // support, or that are unknown, leave the paper unchanged.
    void SetPaperNumber(int code);
    int PaperNumber() const { return FPaperNumber; }
    void SetOrientation(TPrinterOrientation o);
    TPrinterOrientation Orientation() const { return FOrientation; }

    // Applies the component's paper and orientation to the printer.
    void CallSetting();

    // The printer's page setup dialog. Refused (message, false) without a
    // printer; true when the user accepted it.
    bool ShowSetupDialog(QWidget* parent);

    // Geometry of the selected paper: from the printer, or the internal
    // default paper when none is installed.
    TPaperGeometry PaperGeometry() const;

    // Geometry of a printer's page layout at the given resolution. The
    // printable area is the sheet less the layout's minimum margins (what
    // the printer can reach), whatever margins or page mode are set.
    static TPaperGeometry GeometryOf(const QPageLayout& layout, int resolution);

    // The platform printer with the applied settings; nullptr without one.
    QPrinter* Printer() const { return FPrinter.get(); }

    // Platform paper code <-> page size. Unknown codes give QPageSize::Custom.
    static QPageSize::PageSizeId PageSizeOfCode(int code);
    static int CodeOfPageSize(QPageSize::PageSizeId id);

private:
    void applyToPrinter();

    QString FPrinterName;
    int FPrinterCount = 0;
    int FPaperNumber = 9;
    TPrinterOrientation FOrientation = poPortrait;
    std::unique_ptr<QPrinter> FPrinter;
};
