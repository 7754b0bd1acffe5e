#include "app/prompt_service.h"

#include "app/confirm_box.h"
#include "app/notice_box.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <stdexcept>

namespace app {
namespace {

PromptService *installed = nullptr;

} // namespace

PromptService &prompts()
{
    static DialogPrompts dialogs;
    return installed ? *installed : dialogs;
}

void setPrompts(PromptService *service)
{
    installed = service;
}

void DialogPrompts::notice(const QString &text)
{
    TNoticeBox box(text, QApplication::activeWindow());
    box.exec();
}

bool DialogPrompts::confirm(const QString &question)
{
    TConfirmBox box(question, QApplication::activeWindow());
    return box.exec() == QDialog::Accepted;
}

void ScriptedPrompts::notice(const QString &text)
{
    notices.append(text);
}

bool ScriptedPrompts::confirm(const QString &question)
{
    questions.append(question);
    if (answers.isEmpty())
        throw std::logic_error("unexpected question: " + question.toStdString());
    return answers.takeFirst();
}

ScopedPrompts::ScopedPrompts()
    : m_previous(installed)
{
    setPrompts(&m_scripted);
}

ScopedPrompts::~ScopedPrompts()
{
    setPrompts(m_previous);
}

void centreOnScreen(QWidget *window)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window->move(qRound((screen.width() - window->width()) / 2.0),
                 qRound((screen.height() - window->height()) / 2.0));
}

} // namespace app
