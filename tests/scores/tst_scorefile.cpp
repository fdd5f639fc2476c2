#include "support/scorefiles.h"
#include "support/testmain.h"

#include "bestlist/linescan.h"
#include "bestlist/request.h"
#include "scores/cp1252.h"
#include "scores/scorefile.h"
#include "scores/scoretext.h"

using namespace Qt::Literals::StringLiterals;

namespace
{

QList<int> countingDown(int from, int to)
{
    QList<int> values;
    for (int v = from; v >= to; --v)
        values << v;
    return values;
}

bestlist::BytesSource source(const QByteArray& bytes)
{
    return bestlist::BytesSource(bytes.toStdString());
}

// The new list that the merge writes for the old bytes (none: no file).
QByteArray mergedBytes(const QByteArray* old, const QString& entry)
{
    bestlist::BytesSource in = source(old ? *old : QByteArray());
    bestlist::StringSink out;
    if (bestlist::writeMerged(old ? &in : nullptr, out, scores::encode1252(entry).toStdString()) !=
        bestlist::SaveOutcome::Saved)
        return "failed";
    return QByteArray::fromStdString(out.bytes);
}

} // namespace

class ScoreFileTest : public QObject
{
    Q_OBJECT
private slots:
    void numberText_data()
    {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << " 0";
        QTest::newRow("5") << qint64(5) << " 5";
        QTest::newRow("123") << qint64(123) << " 123";
        QTest::newRow("-1") << qint64(-1) << "-1";
        QTest::newRow("int16 min") << qint64(-32768) << "-32768";
    }
    void numberText()
    {
        QFETCH(qint64, n);
        QFETCH(QString, text);
        QCOMPARE(scores::numberText(n), text);
    }

    void writtenLineBytes()
    {
        const QByteArray expected = QByteArray::fromHex(
            "2037202050756e6b746520 66fc72202047617374 0d0a"_ba.replace(' ', ""));
        QCOMPARE(mergedBytes(nullptr, scores::scoreLine(7, QStringLiteral("Gast"))), expected);
        QCOMPARE(scores::scoreLine(12, QStringLiteral("Anonymer")),
                 QStringLiteral(" 12  Punkte für  Anonymer"));
        QCOMPARE(scores::scoreLine(-3, QStringLiteral(" a  b ")),
                 QStringLiteral("-3  Punkte für   a  b "));
        // A name never splits its line or brings a control character into the list.
        QCOMPARE(
            scores::scoreLineBytes(4, QStringLiteral("Eva\r\nund\rAdam\n\x1b[31m\t\x7f\u009b")),
            " 4  Punkte f\xfcr  Eva  und Adam  [31m   "_ba);
    }

    // What the game's helper takes: a score as the game writes it and a name as the game sends
    // it; anything else is refused (an empty line).
    void helperRequest_data()
    {
        QTest::addColumn<QByteArray>("score");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("line");
        const QByteArray longest(qsizetype(bestlist::longestName), 'n');
        const struct {
            const char* tag;
            QByteArray score;
            QByteArray name;
            QString line;
        } rows[] = {
            {"a result", "7"_ba, "J\xc3\xbcrgen"_ba, QStringLiteral(" 7  Punkte für  Jürgen")},
            {"0", "0"_ba, "a"_ba, QStringLiteral(" 0  Punkte für  a")},
            {"500", "500"_ba, "a"_ba, QStringLiteral(" 500  Punkte für  a")},
            {"the longest name", "1"_ba, longest,
             QStringLiteral(" 1  Punkte für  ") + QString::fromLatin1(longest)},
            {"line breaks", "2"_ba, "a\r\nb"_ba, QStringLiteral(" 2  Punkte für  a  b")},
            {"byte order mark", "3"_ba, "\xef\xbb\xbfx"_ba, QStringLiteral(" 3  Punkte für  ?x")},
            {"control characters", "5"_ba, "Ev\x1b[31ma\tB\x01"_ba,
             QStringLiteral(" 5  Punkte für  Ev [31ma B ")},
            {"empty name", "1"_ba, ""_ba, {}},
            {"name too long", "1"_ba, longest + "n", {}},
            {"NUL in the name", "1"_ba, "a\0b"_ba, {}},
            {"not UTF-8", "1"_ba, "f\xfcr"_ba, {}},
            {"a surrogate", "1"_ba, "\xed\xa0\x80"_ba, {}},
            {"an overlong form", "1"_ba, "\xe0\x80\xaf"_ba, {}},
            {"cut short at the end", "1"_ba, "a\xc3"_ba, {}},
        };
        for (const auto& row : rows)
            QTest::newRow(row.tag) << row.score << row.name << row.line;
        for (const QByteArray& score :
             {"501"_ba, "-1"_ba, "07"_ba, "+7"_ba, " 7"_ba, "7 "_ba, ""_ba, "1000"_ba, "x"_ba})
            QTest::addRow("score [%s]", score.constData()) << score << "a"_ba << QString();
    }
    void helperRequest()
    {
        QFETCH(QByteArray, score);
        QFETCH(QByteArray, name);
        QFETCH(QString, line);
        const auto taken = bestlist::requestedLine(score.toStdString(), name.toStdString());
        QCOMPARE(taken ? scores::decode1252(QByteArray::fromStdString(*taken)) : QString(), line);
    }

    void encoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("umlauts") << QStringLiteral("für Jürgen ß") << "f\xfcr J\xfcrgen \xdf"_ba;
        QTest::newRow("outside the code page")
            << QStringLiteral("Łódź 😀 名") << "?\xf3\x64? ? ?"_ba;
    }
    void encoding()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(scores::encode1252(text), bytes);
    }

    // Bytes 80 to 9F, as the code page defines them; the five it leaves undefined stand for
    // the C1 control of the same value, so that they survive a rewrite.
    void codePageHighBytes()
    {
        const QString defined =
            QStringLiteral("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
        QByteArray bytes;
        for (int b = 0x80; b <= 0x9F; ++b)
            bytes.append(char(b));
        QCOMPARE(defined.size(), 32);
        QCOMPARE(scores::decode1252(bytes), defined);
        QCOMPARE(scores::encode1252(defined), bytes);
    }

    // Every byte but CR, NULs and the code page's undefined ones among them, passes through a
    // merge unchanged, and a line of megabytes is copied whole.
    void oldLinesAreCopiedByteForByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            if (b != '\r')
                all.append(char(b));
        }
        const QByteArray huge(3 * 1024 * 1024, 'x');
        const QByteArray old = all + "\r\n" + huge + "\r\n";
        QCOMPARE(mergedBytes(&old, QStringLiteral("-5  Punkte für  z")),
                 old + "-5  Punkte f\xfcr  z\r\n"_ba);
    }

    // The lines as the scan meets them, in chunks of every small size and of the usual one, so
    // that a line end split between two chunks is met too.
    void scanning_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("CR LF at the end") << "a\r\nb\r\n"_ba;
        QTest::newRow("last line without end") << "ab\r\ncd"_ba;
        QTest::newRow("lone LF is text") << "a\nb\r\nc\rde\nf"_ba;
        QTest::newRow("lone CR ends a line") << "a\rb\r"_ba;
        QTest::newRow("empty lines") << "\r\n\r\n\r\r"_ba;
        QTest::newRow("CR CR LF") << "a\r\r\nb"_ba;
        QTest::newRow("LF first") << "\n\na"_ba;
        QTest::newRow("NUL bytes") << "a\0b\r\n"_ba;
        QTest::newRow("long lines") << QByteArray(700, 'x') + "\r\n" + QByteArray(5, 'y');
    }
    void scanning()
    {
        QFETCH(QByteArray, bytes);
        const QStringList expected = reference::splitLines(bytes);
        for (const std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(3),
                                        std::size_t(5), bestlist::scanChunk}) {
            bestlist::BytesSource list = source(bytes);
            QStringList lines;
            bool headsRight = true;
            const bool read = bestlist::scanLines(
                list, 600,
                [&](const bestlist::ScannedLine& line) {
                    const QByteArray whole = bytes.mid(line.offset, line.length);
                    lines << scores::decode1252(whole);
                    headsRight = headsRight &&
                                 QByteArrayView(line.head.data(), qsizetype(line.head.size())) ==
                                     whole.left(600);
                    return true;
                },
                chunk);
            QVERIFY(read);
            QCOMPARE(lines, expected);
            QVERIFY(headsRight);
        }
    }

    void lineScore_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("score");
        QTest::newRow("7") << " 7  Punkte für  Gast" << 7;
        QTest::newRow("42") << " 42  Punkte für  Tester" << 42;
        QTest::newRow("123 reads as 12") << " 123  Punkte für  Profi" << 12;
        QTest::newRow("-3") << "-3  Punkte für  Pech" << -3;
        QTest::newRow("0") << " 0  Punkte für  Null" << 0;
        QTest::newRow("empty line") << "" << 0;
        QTest::newRow("letter first") << "Gast 7" << 0;
        QTest::newRow("blanks inside") << "1 2" << 12;
        QTest::newRow("tab and LF dropped") << "\t4\n5" << 4;
        QTest::newRow("sign after blank") << " -5" << -5;
        QTest::newRow("plus") << "+8x" << 8;
        QTest::newRow("digits then letter") << "9a9" << 9;
        QTest::newRow("sign alone") << "-  " << 0;
        QTest::newRow("two signs") << "--5" << 0;
        QTest::newRow("short line") << "3" << 3;
        QTest::newRow("other digits") << QStringLiteral("\u0663\u0664") << 0;
        QTest::newRow("umlaut first") << QStringLiteral("ü12") << 0;
    }
    void lineScore()
    {
        QFETCH(QString, line);
        QFETCH(int, score);
        QCOMPARE(scores::lineScore(line), score);
        QCOMPARE(scores::lineScore(scores::encode1252(line)), score); // as read from the file
    }

    void qualification_data()
    {
        QTest::addColumn<QList<int>>("file");
        QTest::addColumn<int>("score");
        QTest::addColumn<bool>("offered");
        QTest::newRow("empty list, 0") << QList<int>{} << 0 << true;
        QTest::newRow("8 lines, lowest") << QList<int>(8, 20) << 1 << true;
        QTest::newRow("9 lines, lower than all") << QList<int>(9, 20) << 1 << false;
        QTest::newRow("9 lines, equal to all") << QList<int>(9, 20) << 20 << false;
        QTest::newRow("9 lines, one lower") << (QList<int>(8, 20) << 4) << 5 << true;
        QTest::newRow("10 lines, beats the 5th") << countingDown(30, 21) << 27 << true;
        QTest::newRow("lower line anywhere") << (QList<int>{3} << QList<int>(12, 50)) << 4 << true;
        QTest::newRow("score 123 compared whole") << QList<int>(10, 99) << 123 << true;
        QTest::newRow("60 lines, none lower") << QList<int>(60, 9) << 9 << false;
    }
    void qualification()
    {
        QFETCH(QList<int>, file);
        QFETCH(int, score);
        QFETCH(bool, offered);
        bestlist::BytesSource list = source(reference::joinLines(linesScoring(file)));
        const scores::Count count = bestlist::countLines(list, score);
        QVERIFY(count.ok);
        QCOMPARE(count.lines, file.size());
        QCOMPARE(count.qualifies(), offered);
    }

    void merge_data()
    {
        QTest::addColumn<QList<int>>("file");
        QTest::addColumn<int>("score");
        QTest::addColumn<QList<int>>("result"); // -1000 marks the new line
        const int N = -1000;
        QTest::newRow("empty") << QList<int>{} << 4 << QList<int>{N};
        QTest::newRow("between") << QList<int>{20, 15, 10} << 12 << QList<int>{20, 15, N, 10};
        QTest::newRow("before equals")
            << QList<int>{20, 15, 15, 10} << 15 << QList<int>{20, N, 15, 15, 10};
        QTest::newRow("last") << QList<int>{20, 15, 10} << 5 << QList<int>{20, 15, 10, N};
        QTest::newRow("10 lines, 25")
            << countingDown(30, 21) << 25 << (countingDown(30, 26) << N << countingDown(25, 21));
        QTest::newRow("11 lines, 25")
            << countingDown(30, 20) << 25 << (countingDown(30, 26) << N << countingDown(25, 21));
        QTest::newRow("11 lines ending 10, 15")
            << (countingDown(30, 21) << 10) << 15 << (countingDown(30, 21) << N);
        QTest::newRow("123 placed by its 12")
            << QList<int>{50, 13, 12, 11} << 123 << QList<int>{50, 13, N, 12, 11};
        QTest::newRow("more than 50 old lines")
            << QList<int>(60, 40) << 1 << (QList<int>(10, 40) << N);
    }
    void merge()
    {
        QFETCH(QList<int>, file);
        QFETCH(int, score);
        QFETCH(QList<int>, result);
        const QStringList old = linesScoring(file);
        const QString entry = scores::scoreLine(score, QStringLiteral("Neu"));
        QStringList expected;
        int nextOld = 0;
        for (const int line : result)
            expected << (line == -1000 ? entry : old[nextOld++]);
        const QByteArray bytes = reference::joinLines(old);
        QCOMPARE(reference::splitLines(mergedBytes(&bytes, entry)), expected);
    }
};

GZ_TEST_MAIN(ScoreFileTest)
#include "tst_scorefile.moc"
