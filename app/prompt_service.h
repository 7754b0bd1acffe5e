#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace app {

// The two modal prompts every part of the client uses. Code asks through
// prompts() so that tests and scripted runs can answer instead of a user.
class PromptService
{
public:
    virtual ~PromptService() = default;
    // Returns once the user has acknowledged the text.
    virtual void notice(const QString &text) = 0;
    // True for "是"; false for "否" or when the question is dismissed.
    virtual bool confirm(const QString &question) = 0;
};

// The process-wide service; the dialog boxes unless another one is set.
PromptService &prompts();
// nullptr restores the dialog boxes. The caller keeps ownership.
void setPrompts(PromptService *service);

class DialogPrompts : public PromptService
{
public:
    void notice(const QString &text) override;
    bool confirm(const QString &question) override;
};

// Records every text shown and answers questions from a queue; a question
// with no answer queued throws std::logic_error so it cannot pass unnoticed.
class ScriptedPrompts : public PromptService
{
public:
    void notice(const QString &text) override;
    bool confirm(const QString &question) override;

    QStringList notices;
    QStringList questions;
    QList<bool> answers;
};

// Installs a ScriptedPrompts for its lifetime, then restores the previous service.
class ScopedPrompts
{
public:
    ScopedPrompts();
    ~ScopedPrompts();
    ScopedPrompts(const ScopedPrompts &) = delete;
    ScopedPrompts &operator=(const ScopedPrompts &) = delete;

    ScriptedPrompts &operator*() { return m_scripted; }
    ScriptedPrompts *operator->() { return &m_scripted; }

private:
    ScriptedPrompts m_scripted;
    PromptService *m_previous;
};

// Places a window as every dialog of the client is placed when created:
// left = (screen width − width) / 2, top = (screen height − height) / 2, rounded.
void centreOnScreen(QWidget *window);

} // namespace app
