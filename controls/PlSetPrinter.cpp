#include "controls/PlSetPrinter.h"

#include "app/MsgBox.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

// The platform's paper codes this program knows.
constexpr std::array<std::pair<int, QPageSize::PageSizeId>, 9> kPaperCodes{{
    {1, QPageSize::Letter},
    {5, QPageSize::Legal},
    {8, QPageSize::A3},
    {9, QPageSize::A4},
    {11, QPageSize::A5},
    {12, QPageSize::JisB4},
    {13, QPageSize::JisB5},
    {43, QPageSize::Postcard},
    {70, QPageSize::A6},
}};

int tenthsFromPixels(double pixels, int dpi)
{
    return static_cast<int>(pixels * 254.0 / dpi);
}

} // namespace

TplSetPrinter::TplSetPrinter(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("plSetPrinter1"));
    FPrinterCount = InstalledPrinters().size();
    SetPrinterName(DefaultPrinterName());
}

TplSetPrinter::~TplSetPrinter() = default;

QStringList TplSetPrinter::InstalledPrinters()
{
    return QPrinterInfo::availablePrinterNames();
}

QString TplSetPrinter::DefaultPrinterName()
{
    return QPrinterInfo::defaultPrinterName();
}

QPageSize::PageSizeId TplSetPrinter::PageSizeOfCode(int code)
{
    for (const auto& [c, id] : kPaperCodes)
        if (c == code)
            return id;
    return QPageSize::Custom;
}

int TplSetPrinter::CodeOfPageSize(QPageSize::PageSizeId id)
{
    for (const auto& [c, i] : kPaperCodes)
        if (i == id)
            return c;
    return 0;
}

void TplSetPrinter::SetPrinterName(const QString& name)
{
    const QStringList installed = InstalledPrinters();
    FPrinterCount = installed.size();
    QString chosen = installed.contains(name) ? name : DefaultPrinterName();
    if (chosen.isEmpty() && !installed.isEmpty())
        chosen = installed.first();
    if (chosen.isEmpty()) {
        FPrinterName.clear();
        FPrinter.reset();
        return;
    }
    if (FPrinter && chosen == FPrinterName)
        return;
    FPrinterName = chosen;
    FPrinter = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(chosen), QPrinter::HighResolution);
    FPrinter->setFullPage(true);
    applyToPrinter();
}

void TplSetPrinter::GetPrinterInfo(bool resetToDefaults)
{
    if (!FPrinter)
        return;
    const QPrinterInfo info(*FPrinter);
    if (resetToDefaults) {
        FPrinter->setPageSize(info.defaultPageSize());
        FPrinter->setPageOrientation(QPageLayout::Portrait);
    }
    const int code = CodeOfPageSize(FPrinter->pageLayout().pageSize().id());
    if (code != 0)
        FPaperNumber = code;
    FOrientation = FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TplSetPrinter::SetPaperNumber(int code)
{
    const QPageSize::PageSizeId id = PageSizeOfCode(code);
    if (id == QPageSize::Custom)
        return;
    if (FPrinter) {
        const QPrinterInfo info(*FPrinter);
        const auto supported = info.supportedPageSizes();
        bool ok = supported.isEmpty();
        for (const QPageSize& s : supported)
            ok = ok || s.id() == id;
        if (!ok)
            return;
    }
    FPaperNumber = code;
}

void TplSetPrinter::SetOrientation(TPrinterOrientation o)
{
    FOrientation = o;
}

void TplSetPrinter::CallSetting()
{
    applyToPrinter();
}

void TplSetPrinter::applyToPrinter()
{
    if (!FPrinter)
        return;
    const QPageSize::PageSizeId id = PageSizeOfCode(FPaperNumber);
    if (id != QPageSize::Custom)
        FPrinter->setPageSize(QPageSize(id));
    FPrinter->setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    FPrinter->setFullPage(true);
}

bool TplSetPrinter::ShowSetupDialog(QWidget* parent)
{
    if (!FPrinter) {
        msg::warning(parent, QStringLiteral("プリンタがインストールされていないので印刷できません．　　"),
                     QStringLiteral("　印刷"));
        return false;
    }
    QPageSetupDialog dlg(FPrinter.get(), parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    GetPrinterInfo(false);
    return true;
}

TPaperGeometry TplSetPrinter::PaperGeometry() const
{
    TPaperGeometry g;
    if (!FPrinter) {
        // Internal default paper: the component's paper code (A4 unless set
        // otherwise) at 600 dpi, printable to the edges.
        QPageSize::PageSizeId id = PageSizeOfCode(FPaperNumber);
        if (id == QPageSize::Custom)
            id = QPageSize::A4;
        const QPageSize size(id);
        QSizeF mm = size.size(QPageSize::Millimeter);
        if (FOrientation == poLandscape)
            mm.transpose();
        g.dpiX = g.dpiY = 600;
        g.pixelWidth = static_cast<int>(std::lround(mm.width() * 600.0 / 25.4));
        g.pixelHeight = static_cast<int>(std::lround(mm.height() * 600.0 / 25.4));
        g.width = static_cast<int>(std::lround(mm.width() * 10.0));
        g.height = static_cast<int>(std::lround(mm.height() * 10.0));
        g.printLeft = g.printTop = 0;
        g.printRight = g.width;
        g.printBottom = g.height;
        g.paperName = size.name();
        return g;
    }
    return GeometryOf(FPrinter->pageLayout(), FPrinter->resolution());
}

TPaperGeometry TplSetPrinter::GeometryOf(const QPageLayout& pageLayout, int resolution)
{
    // Printing runs in full-page mode, where the layout's paint rect is the
    // whole sheet; the printable area comes from the minimum margins.
    QPageLayout mm(pageLayout);
    mm.setUnits(QPageLayout::Millimeter);
    const QMarginsF m = mm.minimumMargins();
    const int res = resolution > 0 ? resolution : 600;
    const QRect full = pageLayout.fullRectPixels(res);
    constexpr double eps = 1e-6;  // millimetres converted back and forth are not exact
    TPaperGeometry g;
    g.dpiX = g.dpiY = res;
    g.pixelWidth = full.width();
    g.pixelHeight = full.height();
    g.width = tenthsFromPixels(full.width(), res);
    g.height = tenthsFromPixels(full.height(), res);
    g.printLeft = std::clamp(static_cast<int>(std::ceil(m.left() * 10.0 - eps)), 0, g.width);
    g.printTop = std::clamp(static_cast<int>(std::ceil(m.top() * 10.0 - eps)), 0, g.height);
    g.printRight = std::clamp(static_cast<int>(std::floor(g.width - m.right() * 10.0 + eps)), g.printLeft, g.width);
    g.printBottom =
        std::clamp(static_cast<int>(std::floor(g.height - m.bottom() * 10.0 + eps)), g.printTop, g.height);
    g.paperName = pageLayout.pageSize().name();
    return g;
}
