#pragma once
// Choice of an earlier summary, normally of the same patient, and of the
// narrative sections to copy from it into the summary being edited.

#include "app/FrmOBaseU.h"

#include <array>

class QCheckBox;
class QPushButton;
class QShowEvent;
class QToolButton;
class TDBGrid;
class TNumberEdit;
class TPatientHeader;
class TQuery;

class TFrmSelOldCopy : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmSelOldCopy(QWidget* parent = nullptr);
    ~TFrmSelOldCopy() override;

    // Set by the caller: the patient shown first and the summary being
    // edited, which the list never offers.
    qint64 FID = 0;
    int FBKNO = 0;

    // Returned on OK: the source version and the sections to copy.
    int FKNO = 0;
    int FVERNO = 0;
    bool FNBEF = true;    // 入院までの経過
    bool FNKEI = true;    // 入院経過
    bool FTJOU = true;    // 退院時状況
    bool FTYAKU = true;   // 退院時投薬
    bool FTHOU = true;    // 退院時方針
    // The five flags in the order of the editor's sections.
    std::array<bool, 5> sections() const { return {FNBEF, FNKEI, FTJOU, FTYAKU, FTHOU}; }

    TNumberEdit* nedtID;
    QToolButton* bbtnIdSrc;
    TPatientHeader* header;
    TDBGrid* dbgMei;
    QCheckBox* cbDispDel;
    QCheckBox* cbNBEF;
    QCheckBox* cbNKEI;
    QCheckBox* cbTJOU;
    QCheckBox* cbTYAKU;
    QCheckBox* cbTHOU;
    QPushButton* bbtnOk;
    QPushButton* bbtnCancel;
    TQuery* ADOQ;

    // Patient block and list of the number in the ID field.
    void showPatient();
    void loadList();
    void bbtnOkClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void nedtIDExit();
    void bbtnIdSrcClick();

    bool FShown = false;
    qint64 FShownID = -1;
};
