#include "support/testmain.h"

#include "fuzzchecks.h"

#include <QDirIterator>

// Runs the fuzzers' checks over the saved corpus: the seeds and every input a fuzzer once found.
class FuzzCorpusTest : public QObject
{
    Q_OBJECT
private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        for (const QString& kind :
             {QStringLiteral("scorefile"), QStringLiteral("length"), QStringLiteral("request")}) {
            QDirIterator files(QStringLiteral(GZ_CORPUS_DIR "/") + kind, QDir::Files);
            int count = 0;
            while (files.hasNext()) {
                const QString path = files.next();
                QTest::newRow(qPrintable(kind + QLatin1Char('/') + files.fileName()))
                    << kind << path;
                ++count;
            }
            QVERIFY2(count > 0, qPrintable(kind));
        }
    }
    void corpus()
    {
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        if (kind == QLatin1String("scorefile"))
            fuzzchecks::scoreFile(data, std::size_t(bytes.size()));
        else if (kind == QLatin1String("length"))
            fuzzchecks::typedLength(data, std::size_t(bytes.size()));
        else
            fuzzchecks::helperRequest(data, std::size_t(bytes.size()));
    }
};

GZ_TEST_MAIN(FuzzCorpusTest)
#include "tst_fuzzcorpus.moc"
