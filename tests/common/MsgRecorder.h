#pragma once
// Records every message box shown during its life and answers each one:
// questions with the queued answers (Yes when none is queued), others with OK.

#include "app/MsgBox.h"

#include <QList>
#include <deque>

class MsgRecorder {
public:
    MsgRecorder()
    {
        msg::setHook([this](const msg::TBox& box) {
            boxes.append(box);
            if (onBox)
                onBox(box);
            if (box.kind != msg::TKind::Question)
                return QMessageBox::Ok;
            if (answers.empty())
                return QMessageBox::Yes;
            const auto a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~MsgRecorder() { msg::setHook({}); }
    MsgRecorder(const MsgRecorder&) = delete;
    MsgRecorder& operator=(const MsgRecorder&) = delete;

    void answer(QMessageBox::StandardButton a) { answers.push_back(a); }
    QStringList texts() const
    {
        QStringList out;
        for (const auto& b : boxes)
            out << b.text;
        return out;
    }
    QString last() const { return boxes.isEmpty() ? QString() : boxes.last().text; }

    QList<msg::TBox> boxes;
    std::deque<QMessageBox::StandardButton> answers;
    std::function<void(const msg::TBox&)> onBox;
};
