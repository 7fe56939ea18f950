// The picture program as the documents' script runs it: on the three-way example it ends with
// exit code 0 and leaves one readable picture per result tab and one per editor, tool window and
// dialog the user guides show; no picture is blank or a one-colour area, and each tab picture
// differs from the others.
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kMinWidth = 300; // pixels; a dialog picture is smaller than a window's
constexpr int kMinHeight = 150;
constexpr int kMinColours = 24;             // anti-aliased text alone gives far more
constexpr double kMaxOneColourShare = 0.97; // of the sampled pixels

// The distinct colours and the largest share of one colour on a grid of about 40 000 samples.
struct ColourCount {
    int distinct = 0;
    double largestShare = 1;
};

ColourCount countColours(const QImage& image) {
    QHash<QRgb, int> counts;
    const int stepX = std::max(1, image.width() / 200);
    const int stepY = std::max(1, image.height() / 200);
    int samples = 0;
    for (int y = 0; y < image.height(); y += stepY) {
        for (int x = 0; x < image.width(); x += stepX) {
            ++counts[image.pixel(x, y)];
            ++samples;
        }
    }
    int largest = 0;
    for (int c : counts) {
        largest = std::max(largest, c);
    }
    return {static_cast<int>(counts.size()), samples > 0 ? double(largest) / samples : 1.0};
}

} // namespace

class ScreenshotsTest : public QObject {
    Q_OBJECT

private slots:
    void everyPictureIsRenderedAndShowsSomething() {
        QTemporaryDir out;
        QVERIFY(out.isValid());
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(
            QStringLiteral(SONORA_SCREENSHOTS_PROGRAM),
            {QStringLiteral(SONORA_EXAMPLES_DIR "/Projekte/Dreiwege Bassreflex.LSP"), out.path()});
        QVERIFY(program.waitForFinished(240000));
        const QString printed = QString::fromLocal8Bit(program.readAll());
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 qPrintable(printed));

        const QDir folder(out.path());
        // The tabs a user reads first, by their captions, and the pictures of the guides.
        const QStringList tabs = {QStringLiteral("Frequenzgang"),   QStringLiteral("Chassis"),
                                  QStringLiteral("Spinorama"),      QStringLiteral("Reflexionen"),
                                  QStringLiteral("Impulsantwort"),  QStringLiteral("Sprungantwort"),
                                  QStringLiteral("Richtungsplots"), QStringLiteral("Polarplots")};
        for (const QString& tab : tabs) {
            QCOMPARE(folder.entryList({QStringLiteral("[0-9][0-9]_") + tab + ".png"}).size(), 1);
        }
        const QStringList named = {"menue_datei",      "export",     "aktive_filter",
                                   "bauteil",          "weiche",     "gemeinsames_gehaeuse",
                                   "chassis_editor",   "optimierer", "hilfsberechnungen",
                                   "trennfrequenzen",  "nahfeld",    "toleranz",
                                   "impedanzkorrektur"};
        for (const QString& name : named) {
            QVERIFY2(folder.exists(name + ".png"), qPrintable(name));
        }

        const QStringList pictures = folder.entryList({QStringLiteral("*.png")}, QDir::Files);
        QVERIFY(pictures.size() >= tabs.size() + named.size());
        QSet<QByteArray> tabHashes;
        int tabPictures = 0;
        for (const QString& file : pictures) {
            const QImage image(folder.filePath(file));
            QVERIFY2(!image.isNull(), qPrintable(file));
            QVERIFY2(image.width() >= kMinWidth && image.height() >= kMinHeight, qPrintable(file));
            const ColourCount colours = countColours(image);
            QVERIFY2(colours.distinct >= kMinColours,
                     qPrintable(file + ": " + QString::number(colours.distinct) + " Farben"));
            QVERIFY2(colours.largestShare <= kMaxOneColourShare, qPrintable(file));
            if (file.at(0).isDigit()) {
                ++tabPictures;
                const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()),
                                       image.sizeInBytes());
                tabHashes.insert(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
            }
        }
        // A tab that failed to switch would repeat the picture before it.
        QCOMPARE(tabHashes.size(), tabPictures);
    }
};

QTEST_GUILESS_MAIN(ScreenshotsTest)
#include "screenshots_test.moc"
