#include "patient/FrmImpKanjaU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/LongOperation.h"
#include "app/WriteRunner.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "patient/FrmDspErrLogU.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("IMPKANJA");
const QString kNone = QStringLiteral("対象項目無し");

QString fldKey(int i) { return QStringLiteral("FLD%1").arg(i + 1); }

} // namespace

TFrmImpKanja::TFrmImpKanja(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmImpKanja"), QStringLiteral("患者情報CSV取込処理"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(12, 10, 12, 8);
    root->setSpacing(8);

    auto* pathRow = new QHBoxLayout;
    edtPath = new QLineEdit(b);
    edtPath->setObjectName(QStringLiteral("edtPath"));
    edtPath->setMinimumWidth(420);
    SpeedButton1 = new QToolButton(b);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("..."));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    pathRow->addWidget(widgets::caption(b, QStringLiteral("CSVファイル")));
    pathRow->addWidget(edtPath, 1);
    pathRow->addWidget(SpeedButton1);
    root->addLayout(pathRow);

    static const char16_t* const titles[kanjacsv::kFieldCount] = {
        u"患者番号", u"かな", u"氏名", u"性別", u"生年月日", u"郵便番号", u"住所１",
        u"住所２",   u"TEL",  u"携帯", u"FAX",  u"Email",    u"備考"};
    static const char16_t* const hints[kanjacsv::kFieldCount] = {
        u"", u"", u"", u"0:男性 1:女性", u"YYYY/MM/DD （西暦）", u"999-9999", u"", u"", u"", u"", u"", u"", u""};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < kanjacsv::kFieldCount; ++i) {
        cmbFld[i] = widgets::combo(b, QStringLiteral("cmbFld%1").arg(i + 1), 240);
        grid->addWidget(widgets::caption(b, QString::fromUtf16(titles[i])), i, 0);
        grid->addWidget(cmbFld[i], i, 1);
        grid->addWidget(widgets::label(b, QString::fromUtf16(hints[i])), i, 2);
    }
    grid->setColumnStretch(2, 1);
    root->addLayout(grid);

    cbHead = new QCheckBox(QStringLiteral("ヘッダ有りの場合チェックしてください"), b);
    cbHead->setObjectName(QStringLiteral("cbHead"));
    cbUpd = new QCheckBox(QStringLiteral("同一患者は上書きする場合チェックしてください"), b);
    cbUpd->setObjectName(QStringLiteral("cbUpd"));
    root->addWidget(cbHead);
    root->addWidget(cbUpd);

    bbtnUpdate = widgets::button(b, QStringLiteral("bbtnUpdate"), QStringLiteral("　取　込"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnUpdate);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmImpKanja::SpeedButton1Click);
    connect(edtPath, &QLineEdit::editingFinished, this, &TFrmImpKanja::edtPathExit);
    connect(bbtnUpdate, &QPushButton::clicked, this, &TFrmImpKanja::bbtnUpdateClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    resize(640, 560);
}

void TFrmImpKanja::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FFirstShown)
        return;
    FFirstShown = true;
    QString path;
    CommonU::ReadIniStr(kSection, QStringLiteral("KANJAFILE"), path);
    if (!path.isEmpty() && QFileInfo(path).isFile() && loadFile(path)) {
        edtPath->setText(path);
        for (int i = 0; i < kanjacsv::kFieldCount; ++i) {
            int index = 0;
            CommonU::ReadIniInt(kSection, fldKey(i), index);
            cmbFld[i]->setCurrentIndex(index >= 0 && index < cmbFld[i]->count() ? index : 0);
        }
        int head = 0, upd = 0;
        CommonU::ReadIniInt(kSection, QStringLiteral("CBHEAD"), head);
        CommonU::ReadIniInt(kSection, QStringLiteral("CBUPD"), upd);
        cbHead->setChecked(head == 1);
        cbUpd->setChecked(upd == 1);
        cmbFld[0]->setFocus();
        return;
    }
    edtPath->clear();
    for (QComboBox* c : cmbFld)
        c->clear();
    cbHead->setChecked(false);
    cbUpd->setChecked(false);
    edtPath->setFocus();
}

void TFrmImpKanja::resetLists()
{
    for (QComboBox* c : cmbFld) {
        c->clear();
        c->addItem(kNone);
    }
}

bool TFrmImpKanja::loadFile(const QString& path)
{
    try {
        FslFile = kanjacsv::readLines(path);
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return false;
    }
    FLoadedPath = path;
    if (FslFile.isEmpty() || textutil::trimBoth(FslFile.first()).isEmpty()) {
        msg::warning(this, QStringLiteral("空データです。"), QString());
        edtPath->clear();
        FslFile.clear();
        FLoadedPath.clear();
        resetLists();
        return false;
    }
    const QStringList columns = kanjacsv::splitLine(FslFile.first());
    for (QComboBox* c : cmbFld) {
        c->clear();
        c->addItem(kNone);
        c->addItems(columns);
        c->setCurrentIndex(0);
    }
    return true;
}

void TFrmImpKanja::SpeedButton1Click()
{
    const QString path = FAskOpenFile(this, QStringLiteral("患者インポート用ＣＳＶ指定"), QStringLiteral("患者取込用ＣＳＶ"));
    if (path.isEmpty())
        return;
    edtPath->setText(path);
    loadFile(path);
}

void TFrmImpKanja::edtPathExit()
{
    const QString path = edtPath->text();
    if (path.isEmpty()) {
        FLoadedPath.clear();
        FslFile.clear();
        resetLists();
        return;
    }
    if (!QFileInfo(path).isFile()) {
        msg::warning(this, QStringLiteral("不正なパスです。"));
        edtPath->setFocus();
        return;
    }
    if (path != FLoadedPath)
        loadFile(path);
}

void TFrmImpKanja::saveSettings()
{
    CommonU::WriteIniStr(kSection, QStringLiteral("KANJAFILE"), edtPath->text());
    for (int i = 0; i < kanjacsv::kFieldCount; ++i)
        CommonU::WriteIniInt(kSection, fldKey(i), cmbFld[i]->currentIndex());
    CommonU::WriteIniInt(kSection, QStringLiteral("CBHEAD"), cbHead->isChecked() ? 1 : 0);
    CommonU::WriteIniInt(kSection, QStringLiteral("CBUPD"), cbUpd->isChecked() ? 1 : 0);
}

void TFrmImpKanja::bbtnUpdateClick()
{
    const QString path = edtPath->text();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        msg::warning(this, QStringLiteral("CSVファイルが指定されていません。"), QString());
        return;
    }
    for (int i : {0, 2, 3, 4}) {
        if (cmbFld[i]->currentIndex() <= 0) {
            msg::warning(this, QStringLiteral("必須項目未選択です。項目を選択してください。"));
            cmbFld[i]->setFocus();
            return;
        }
    }
    if (!msg::question(this, QStringLiteral("実行します。よろしいですか？")))
        return;

    kanjacsv::TMapping map{};
    for (int i = 0; i < kanjacsv::kFieldCount; ++i)
        map[i] = qMax(0, cmbFld[i]->currentIndex());
    const bool header = cbHead->isChecked();
    const bool update = cbUpd->isChecked();
    std::vector<kanjacsv::TImpRecord> records;
    FslLog.clear();
    TWriteResult result = TWriteResult::Failed;
    try {
        // Both passes are one operation: 中止 in either stores nothing.
        const QString checking = QStringLiteral("取込データを確認しています。");
        TLongOperation op(this, checking);
        FslFile = kanjacsv::readLines(path);
        op.setStage(checking, int(FslFile.size()));
        records = kanjacsv::validate(FslFile, map, header, FslLog, [&op](int n) { op.step(n); });
        op.setStage(QStringLiteral("患者情報を登録しています。"), int(records.size()));
        result = runWrite(this, [&](TConnection& conn) {
            kanjacsv::store(conn, records, update, G().user.userId, [&op](int n) { op.step(n); });
        }, {QStringLiteral("更新に失敗しました。"), TTxMode::Join});
    } catch (const ECancelled&) {
        result = TWriteResult::Cancelled;
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (result == TWriteResult::Cancelled) {
        msg::information(this, kCancelledImport);
        return;
    }
    if (result != TWriteResult::Done)
        return;
    saveSettings();
    if (FslLog.isEmpty()) {
        msg::information(this, QStringLiteral("取込終了しました。"));
        return;
    }
    msg::warning(this, QStringLiteral("取込時にエラーがありました。エラーログを表示します。"));
    TFrmDspErrLog dlg(this);
    dlg.FslErrLog = FslLog;
    dlg.exec();
}

void OpenImpKanja(QWidget* parent)
{
    TFrmImpKanja dlg(parent);
    dlg.exec();
}
