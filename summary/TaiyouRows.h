#pragma once
// How a list of summaries colours its rows, wherever it shows them.

struct TRowColors;
class TQuery;

// A deleted summary on silver, an older version on light grey (black text,
// white when selected); a current one black on sky blue once its completion
// is confirmed, else black on white, white on navy when selected.
void taiyouRowColors(const TQuery& q, int recNo, TRowColors& c);
