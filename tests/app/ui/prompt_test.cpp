// The choice prompt as a message box: captions from the "|" list with their access keys, the
// default button, the executable's name as caption and the 1-based number of the pressed button.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/ui/qt_prompt.h"

using namespace sonora::ui;

class PromptTest : public QObject {
    Q_OBJECT
private slots:
    void captionsAreSplitAndBounded();
    void returnsTheNumberOfThePressedButton();
    void closingWithoutAButtonGivesTheDefault();
};

namespace {

struct SeenBox {
    QString title;
    QString text;
    QStringList buttons;
    QString defaultButton;
};

// Waits (polling) for the prompt's box to come up, notes what it shows and acts on it.
void whenBoxShows(SeenBox& seen, std::function<void(QMessageBox&)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &seen, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
        }
        if (box->defaultButton() != nullptr) {
            seen.defaultButton = box->defaultButton()->text();
        }
        act(*box);
    });
    timer->start(10);
}

} // namespace

void PromptTest::captionsAreSplitAndBounded() {
    QCOMPARE(
        promptButtonCaptions("&Ja |&Nein|&Abbruch"),
        QStringList({QStringLiteral("&Ja "), QStringLiteral("&Nein"), QStringLiteral("&Abbruch")}));
    QCOMPARE(promptButtonCaptions("OK"), QStringList{QStringLiteral("OK")});
    std::string many;
    for (int k = 0; k < 25; ++k) {
        many += (k ? "|" : "") + std::to_string(k + 1);
    }
    QCOMPARE(promptButtonCaptions(many).size(), kMaxPromptButtons);
    QCOMPARE(promptCaption(), QStringLiteral("sonora_ui_prompt_test"));
}

void PromptTest::returnsTheNumberOfThePressedButton() {
    QtPrompt prompt;
    SeenBox seen;
    whenBoxShows(seen, [](QMessageBox& box) {
        for (QAbstractButton* b : box.buttons()) {
            if (b->text() == QStringLiteral("Ja, in &neuem Sonora")) {
                b->click();
            }
        }
    });
    const int answer =
        prompt.choose("/tmp/a.LSP\r\nladen?", "&Ja, hier|Ja, in &neuem Sonora|&Abbruch", 2);
    QCOMPARE(answer, 2);
    QCOMPARE(seen.title, QStringLiteral("sonora_ui_prompt_test"));
    QCOMPARE(seen.text, QStringLiteral("/tmp/a.LSP\nladen?"));
    QCOMPARE(seen.buttons.size(), 3);
    QVERIFY(seen.buttons.contains(QStringLiteral("&Abbruch")));
    QCOMPARE(seen.defaultButton, QStringLiteral("Ja, in &neuem Sonora"));

    SeenBox third;
    whenBoxShows(third, [](QMessageBox& box) {
        for (QAbstractButton* b : box.buttons()) {
            if (b->text() == QStringLiteral("&Abbruch")) {
                b->click();
            }
        }
    });
    // Latin-1 text of the core: "ä" is the byte 0xE4.
    QCOMPARE(prompt.choose("Wirklich alle \xc4nderungen verwerfen?", "&Ja |&Nein|&Abbruch", 1), 3);
    QCOMPARE(third.text, QString::fromUtf8("Wirklich alle Änderungen verwerfen?"));
    QCOMPARE(third.defaultButton, QStringLiteral("&Ja "));
}

void PromptTest::closingWithoutAButtonGivesTheDefault() {
    QtPrompt prompt;
    SeenBox seen;
    whenBoxShows(seen, [](QMessageBox& box) { box.done(0); });
    QCOMPARE(prompt.choose("Rechnung muss erst beendet sein.", "&nochmal versuchen|abbrechen", 1),
             1);
    QCOMPARE(seen.buttons.size(), 2);
}

QTEST_MAIN(PromptTest)
#include "prompt_test.moc"
