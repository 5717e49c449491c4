#include "fuzz/Fuzz.h"

#include "app/SjisText.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstdio>

namespace fuzz {

template <class S> S TMutator::mutate(const QList<S>& corpus, const QList<S>& tokens)
{
    qsizetype& served = FServed[corpus.constData()];
    if (served < corpus.size())
        return corpus.at(served++);
    S s = pick(corpus);
    for (int k = 1 + below(6); k > 0; --k) {
        const int size = int(s.size());
        const int at = below(size + 1);
        const int len = 1 + below(std::min(size - at, 8) + 1);
        switch (below(8)) {
        case 0:
        case 1:
            s.insert(at, pick(tokens));
            break;
        case 2: {
            const S& t = pick(tokens);
            s = s.left(at) + t + s.mid(at + t.size());
            break;
        }
        case 3:
            s.remove(at, len);
            break;
        case 4:
            s.insert(below(size + 1), s.mid(at, len));
            break;
        case 5: {
            const S& other = pick(corpus);
            s = s.left(at) + other.mid(below(int(other.size()) + 1));
            break;
        }
        case 6:
            s.insert(at, unit(s));
            break;
        case 7:
            if (chance(8)) {
                const S piece = s.mid(at, len).isEmpty() ? pick(tokens) : s.mid(at, len);
                s.insert(at, piece.repeated(1000 + below(30000 / std::max<int>(1, int(piece.size())))));
            } else {
                s.insert(at, pick(tokens).repeated(1 + below(4)));
            }
            break;
        }
    }
    return s;
}

QChar TMutator::unit(const QString&)
{
    switch (below(6)) {
    case 0: return QChar(char16_t(below(0x80)));
    case 1: return QChar(char16_t(below(0x20)));
    case 2: return QChar(char16_t(0x3000 + below(0x100)));   // kana and CJK punctuation
    case 3: return QChar(char16_t(0xFF00 + below(0xF0)));    // full-width and half-width forms
    case 4: return QChar(char16_t(0xD800 + below(0x800)));   // a lone surrogate
    default: return QChar(char16_t(below(0x10000)));
    }
}

QByteArray TMutator::bytes(const QList<QByteArray>& corpus, const QList<QByteArray>& tokens)
{
    return mutate(corpus, tokens);
}

QString TMutator::text(const QStringList& corpus, const QStringList& tokens) { return mutate(corpus, tokens); }

const QStringList& textTokens()
{
    static const QStringList tokens = [] {
        QStringList t{"\"", "\"\"", ",", ",,", "\r", "\n", "\r\n", "\t", QString(QChar(0)), QString(QChar(0x1F)),
                      QString(QChar(0x7F)), " ", "+", "-", ".", "/", "e", "E", "0", "1", "9", "12", "31", "00",
                      "9999999999", "10000000000", "2147483648", "1970/1/1", "1868/10/23", "2088/01/01"};
        t << QStringLiteral("　") << QStringLiteral("山田") << QStringLiteral("ｶﾅ") << QStringLiteral("①")
          << QStringLiteral("～") << QStringLiteral("𠮷") << QString(QChar(0xD800)) << QString(QChar(0xDC00))
          << QStringLiteral("０") << QStringLiteral("９") << QStringLiteral("＋") << QStringLiteral("－")
          << QStringLiteral("．") << QStringLiteral("，") << QStringLiteral("年") << QStringLiteral("月")
          << QStringLiteral("日") << QStringLiteral("元") << QStringLiteral("明治") << QStringLiteral("大正")
          << QStringLiteral("昭和") << QStringLiteral("平成") << QStringLiteral("令和") << QStringLiteral("西暦");
        return t;
    }();
    return tokens;
}

const QList<QByteArray>& byteTokens()
{
    static const QList<QByteArray> tokens = [] {
        QList<QByteArray> t;
        for (const QString& s : textTokens()) {
            t << s.toUtf8();
            if (s.at(0).unicode() >= 0x80)
                t << sjis::encode(s);
        }
        t << QByteArray(1, '\0') << "\xEF\xBB\xBF" << "\x82" << "\x82\xA0" << "\x81\x40" << "\xFF" << "\x80"
          << "\xE3\x81" << "\xC3\x28";
        return t;
    }();
    return tokens;
}

int run(const std::function<void(int)>& one, const std::function<std::string()>& describe, int minRuns)
{
    bool ok = false;
    const double seconds = qEnvironmentVariable("KLOV_FUZZ_SECONDS").toDouble(&ok);
    const qint64 budgetMs = qint64((ok && seconds >= 0 ? seconds : 2.0) * 1000);
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while (n < minRuns || clock.elapsed() < budgetMs) {
        one(n);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "fuzz run " << n << " failed on " << describe();
            break;
        }
        ++n;
    }
    std::printf("fuzz: %d runs in %lld ms\n", n, static_cast<long long>(clock.elapsed()));
    return n;
}

std::string show(const QByteArray& bytes)
{
    std::string out = "bytes(" + std::to_string(bytes.size()) + ") \"";
    for (qsizetype i = 0; i < bytes.size() && i < 400; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes.at(i));
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + (bytes.size() > 400 ? "\"..." : "\"");
}

std::string show(const QString& text)
{
    std::string out = "text(" + std::to_string(text.size()) + ") u\"";
    for (qsizetype i = 0; i < text.size() && i < 400; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += char(c);
        } else {
            char hex[10];
            std::snprintf(hex, sizeof hex, "\\u%04X", unsigned(c));
            out += hex;
        }
    }
    return out + (text.size() > 400 ? "\"..." : "\"");
}

std::string show(const QStringList& texts)
{
    std::string out = "[";
    for (const QString& t : texts)
        out += show(t) + (&t == &texts.last() ? "" : ", ");
    return out + "]";
}

} // namespace fuzz
