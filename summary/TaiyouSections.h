#pragma once
// The five narrative sections of a summary as the editor lays them out and
// checks them.

namespace taiyouSections {

// Names of the narrative sections in the order of the checks, with their
// column and the page of pcMain that holds them.
struct TSection {
    const char* column;
    const char* title;    // label above the memo
    const char* name;     // as the messages call it
    int page;
};
inline const TSection kSections[5] = {
    {"NYUBEFKEIKA", "入院までの経過（現病歴・既往歴・入院時現象等）", "入院までの経過", 0},
    {"NYUKEIKA", "入院経過", "入院経過", 0},
    {"TAIJOUHO", "退院時状況", "退院時状況", 1},
    {"TAIYAKU", "退院時投薬", "退院時投薬", 1},
    {"TAIHOU", "退院時方針", "退院時方針", 1},
};

} // namespace taiyouSections
