#include "app/confirm_box.h"
#include "app/notice_box.h"
#include "app/prompt_service.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>

using namespace app;
using namespace Qt::StringLiterals;

namespace {

// Once the next modal window is up, clicks its button with the given text,
// or rejects the window when the text is absent so the test cannot hang.
void clickInNextModal(const QString &buttonText, bool *clicked)
{
    QTimer::singleShot(0, [buttonText, clicked] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal)
            return;
        for (QPushButton *button : modal->findChildren<QPushButton *>()) {
            if (button->text() == buttonText) {
                *clicked = true;
                button->click();
                return;
            }
        }
        modal->reject();
    });
}

QStringList buttonTexts(const QWidget &window)
{
    QStringList texts;
    for (const QPushButton *button : window.findChildren<QPushButton *>())
        texts << button->text();
    return texts;
}

} // namespace

class TestPrompts : public QObject
{
    Q_OBJECT

private slots:
    void scriptedRecordsAndAnswers();
    void scriptedThrowsOnUnexpectedQuestion();
    void scopedRestoresPrevious();
    void boxLooks_data();
    void boxLooks();
    void confirmAnswer_data();
    void confirmAnswer();
    void noticeReturnsAfterOk();
};

void TestPrompts::scriptedRecordsAndAnswers()
{
    ScopedPrompts scripted;
    scripted->answers = {true, false};

    prompts().notice(u"数据打开失败!"_s);
    const bool first = prompts().confirm(u"确定删除当前记录吗?"_s);
    const bool second = prompts().confirm(u"是否保存?"_s);

    QCOMPARE(first, true);
    QCOMPARE(second, false);
    QCOMPARE(scripted->notices, QStringList{u"数据打开失败!"_s});
    QCOMPARE(scripted->questions, (QStringList{u"确定删除当前记录吗?"_s, u"是否保存?"_s}));
    QVERIFY(scripted->answers.isEmpty());
}

void TestPrompts::scriptedThrowsOnUnexpectedQuestion()
{
    ScopedPrompts scripted;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, prompts().confirm(u"删除所有数据?"_s));
    QCOMPARE(scripted->questions, QStringList{u"删除所有数据?"_s});
}

void TestPrompts::scopedRestoresPrevious()
{
    PromptService *const dialogs = &prompts();
    QVERIFY(dynamic_cast<DialogPrompts *>(dialogs));
    {
        ScopedPrompts outer;
        QCOMPARE(&prompts(), &*outer);
        {
            ScopedPrompts inner;
            QCOMPARE(&prompts(), &*inner);
        }
        QCOMPARE(&prompts(), &*outer);
    }
    QCOMPARE(&prompts(), dialogs);
}

void TestPrompts::boxLooks_data()
{
    QTest::addColumn<bool>("confirmation");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("buttons");

    const QString longText = QString(u"名录数据已经修改，是否保存再继续?"_s).repeated(8);
    QTest::newRow("notice") << false << u"保存数据失败！"_s << u"软件提示"_s
                            << QStringList{u"确定"_s};
    QTest::newRow("long notice") << false << longText << u"软件提示"_s << QStringList{u"确定"_s};
    QTest::newRow("confirmation") << true << u"确定删除吗?"_s << u"提示窗口"_s
                                  << QStringList{u"是"_s, u"否"_s};
    QTest::newRow("long confirmation") << true << longText << u"提示窗口"_s
                                       << QStringList{u"是"_s, u"否"_s};
}

void TestPrompts::boxLooks()
{
    QFETCH(bool, confirmation);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(QStringList, buttons);
    std::unique_ptr<QDialog> box;
    if (confirmation)
        box = std::make_unique<TConfirmBox>(text);
    else
        box = std::make_unique<TNoticeBox>(text);

    QCOMPARE(box->windowTitle(), caption);
    QCOMPARE(buttonTexts(*box), buttons);
    auto *message = box->findChild<QLabel *>();
    QVERIFY(message);
    QCOMPARE(message->text(), text);
    QVERIFY(message->wordWrap());
    QCOMPARE(message->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(message->font().pointSize(), 14);

    QCOMPARE(box->minimumSize(), box->maximumSize());
    box->layout()->activate();
    QVERIFY(message->height() >= message->heightForWidth(message->width()));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(box->pos(), QPoint(qRound((screen.width() - box->width()) / 2.0),
                                qRound((screen.height() - box->height()) / 2.0)));
}

void TestPrompts::confirmAnswer_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");

    QTest::newRow("yes") << u"是"_s << true;
    QTest::newRow("no") << u"否"_s << false;
    QTest::newRow("closed otherwise") << u"(none)"_s << false;
}

void TestPrompts::confirmAnswer()
{
    QFETCH(QString, button);
    QFETCH(bool, answer);

    bool clicked = false;
    clickInNextModal(button, &clicked);
    QCOMPARE(prompts().confirm(u"确定删除吗?"_s), answer);
    QCOMPARE(clicked, button != u"(none)"_s);
}

void TestPrompts::noticeReturnsAfterOk()
{
    bool clicked = false;
    clickInNextModal(u"确定"_s, &clicked);
    prompts().notice(u"无数据编辑许可！"_s);
    QVERIFY(clicked);
}

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
