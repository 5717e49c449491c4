#pragma once
// The onset of a disease or an allergy as a partial date: a year, a month or
// "頃" (about), a day or "頃", or "発生時期不詳" (unknown), with the checks
// the forms run before a save. The code it stands for is the one
// rec::hjikiBuild defines.

#include <QString>
#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QDate;
class QLabel;
class TNumberEdit;

class TOnsetEdit : public QWidget {
public:
    explicit TOnsetEdit(QWidget* parent);

    TNumberEdit* nedtHY;
    QComboBox* cmbHM;     // "頃", "1" … "12"
    QLabel* lblHM;        // "月"
    QComboBox* cmbHD;     // "頃", "1" … "31"
    QLabel* lblHD;        // "日"
    QCheckBox* cbHJIKIH;  // "発生時期不詳の場合はチェック"

    // The onset code the controls stand for.
    QString code() const;
    // Blank: no year, month and day unselected, not marked unknown.
    void clear();
    // Shows a stored code; an empty code shows blank.
    void load(const QString& code);

    struct TProblem {
        QString text;
        QWidget* focus;
    };
    // The first check the onset fails, in the order the forms ask them;
    // none when it passes or is marked unknown.
    std::optional<TProblem> problem() const;
    // True when a known onset lies after the given date.
    bool isAfter(const QDate& end) const;

private:
    void updateVisibility();
};
