#pragma once
// The random driver of the fuzz targets. g++ has no coverage-guided fuzzer,
// so each target mutates a small corpus of realistic inputs with a fixed
// seed and checks properties of every result, for a bounded time
// (KLOV_FUZZ_SECONDS, 2 seconds when unset). The same seed gives the same
// sequence of inputs, so a failure repeats: the failing run's number and
// input are printed.

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <string>

namespace fuzz {

class TMutator {
public:
    explicit TMutator(quint32 seed)
        : FRng(seed)
    {
    }
    // 0 .. n-1 (0 for n <= 0).
    int below(int n) { return n > 0 ? int(FRng.bounded(quint32(n))) : 0; }
    bool chance(int oneIn) { return below(oneIn) == 0; }
    template <class T> const T& pick(const QList<T>& from) { return from.at(below(int(from.size()))); }

    // The corpus entries as they are, in order, on the first calls with a
    // corpus; then an entry changed by one to six mutations: a token
    // inserted or written over, a piece deleted, doubled or spliced from
    // another entry, a random byte or character, now and then a piece
    // repeated into a line tens of thousands long.
    QByteArray bytes(const QList<QByteArray>& corpus, const QList<QByteArray>& tokens);
    QString text(const QStringList& corpus, const QStringList& tokens);

private:
    template <class S> S mutate(const QList<S>& corpus, const QList<S>& tokens);
    char unit(const QByteArray&) { return char(below(256)); }
    QChar unit(const QString&);
    QRandomGenerator FRng;
    std::map<const void*, qsizetype> FServed;   // entries given unchanged, by corpus
};

// Tokens shared by the targets: quotes, commas, line breaks, NUL and other
// control bytes, Japanese text in UTF-8 and windows-31j, full-width digits,
// signs, separators, era names.
const QList<QByteArray>& byteTokens();
const QStringList& textTokens();

// Runs `one(run)` with run = 0, 1, 2, ... until the time is spent (and at
// least `minRuns` times) or a check failed; the number of runs. `describe`
// names the input of a failed run for the failure message.
int run(const std::function<void(int)>& one, const std::function<std::string()>& describe, int minRuns = 50);

// Printable forms of an input for failure messages.
std::string show(const QByteArray& bytes);
std::string show(const QString& text);
std::string show(const QStringList& texts);

} // namespace fuzz
