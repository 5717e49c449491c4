#pragma once
// Record conventions shared by every form: absent dates, the partial onset
// date HJIKI, row keys and the display columns computed in SQL.

#include <QDate>
#include <QString>

class TField;

class TQuery;

namespace rec {

// --- absent dates ----------------------------------------------------------

// Empty dates are stored as this day.
inline const QDate kZeroDate(1899, 12, 30);
// Any stored date before this one reads as absent.
inline const QDate kFirstRealDate(1900, 1, 1);

bool isAbsentDate(const QDate& d);
// A stored date column as a date: invalid when null or absent.
QDate storedDate(const TField& f);
// "yyyymmdd" for TO_TIMESTAMP(:X,'YYYYMMDD'); an invalid or absent date gives
// the zero date's text "18991230".
QString yyyymmdd(const QDate& d);
// The date of a "yyyymmdd" text; an invalid QDate when the text is none.
QDate fromYyyymmdd(const QString& s);
// Range bound: "99999999" (open end) for an absent date, else yyyymmdd.
QString rangeEnd(const QDate& d);

// --- partial dates ----------------------------------------------------------

// Builds the 8-character onset code. unknown gives "00000000"; year 0 gives
// empty; month 0 keeps the day out ("yyyy0000"); day 0 gives "yyyymm00".
QString hjikiBuild(bool unknown, int year, int month, int day);
// True for every form the code may take (empty included); false for a
// malformed code or an impossible date.
bool hjikiValid(const QString& code);
// Text of the list column: "不明", "2019年頃", "2019年03月頃", "2019年03月05日".
QString hjikiListText(const QString& code);
// Printed text: "不明", "2019年頃", "2019年3月頃", "2019/3/5".
QString hjikiPrintText(const QString& code);

// --- SQL fragments -----------------------------------------------------------
// Each takes the table alias ("B", "Z", …) or empty for none and yields an
// expression without its AS alias.

// SKEY of summaries (10), patient diseases (9), operations (9), messages (30).
QString skeySummary(const QString& alias = {});
QString skeyDisease(const QString& alias = {});
QString skeyOperation(const QString& alias = {});
QString skeyMessage(const QString& alias = {});

// Summaries admitted on a day of [NDTEF, NDTET] and discharged on a day of
// [TDTEF, TDTET]; one not discharged yet (its date a day of 1899) counts as
// inside any discharge range that is not empty. Ranges on the columns, so
// that the planner estimates them and uses the indexes.
QString sqlSummaryDateRanges(const QString& alias);
void bindSummaryDateRanges(TQuery& q, const QDate& ndteF, const QDate& ndteT, const QDate& tdteF, const QDate& tdteT);

QString sqlJtypNm(const QString& alias = {});        // JTYPNM
QString sqlKanoNm(const QString& column, const QString& alias = {});  // WOKNM, SOKNM, KOKNM: "可能"
QString sqlMntMk(const QString& alias = {});         // MNTMK "〇"
QString sqlDelNm(const QString& alias = {});         // DELNM "○"
QString sqlDspMkKa(const QString& alias = {});       // DSPMK of the department list
QString sqlDspMkDrKa(const QString& alias = {});     // DSPMK of the doctor-department list
QString sqlHkbnNm(const QString& alias = {});        // HKBNNM
QString sqlHjikiNm(const QString& alias = {});       // HJIKINM
QString sqlCircleMk(const QString& column, const QString& alias = {}); // KAFAMYMK, KAHOSPMK "〇"
QString sqlTenkiN(const QString& alias = {});        // TENKIN
QString sqlDistKbnN(const QString& alias = {});      // DISTKBNN
QString sqlDateN(const QString& column, const QString& alias = {});   // ENDDTEN, TDTEN
// The upper bound of a range condition as "yyyymmdd": '99999999' (open end)
// for an absent or missing date.
QString sqlRangeEnd(const QString& column, const QString& alias = {});
QString sqlNsyuNm(const QString& alias = {});        // NSYUNM
QString sqlSumiMk(const QString& column, const QString& alias = {});  // WMK, SMK, KMK "済"
QString sqlReadMk(const QString& alias = {});        // KMK of the message list
QString sqlLblMk(const QString& alias = {});         // LBLMK
QString sqlSexNm(const QString& alias = {});         // SEXNM
// The display columns of a summary list, each with its AS alias:
// "SKEY", "NSYUNM", "WMK", "SMK", "KMK", "TDTEN".
QString sqlSummaryMarks(const QString& alias = {});

// Words of the codes, for screens that translate on the client.
QString jtypName(int jtyp);      // "医師", "ＤＣ", "その他", else empty
QString sexName(int sex);        // "男性", "女性", else empty
QString tenkiName(int tenki);    // "軽快" … "死亡", else empty
QString hkbnName(int hkbn);      // "なし", "あり", "不詳", else empty

} // namespace rec
