#pragma once

#include <QDialog>

namespace app {

// The confirmation box: a question in red, "是" accepts, "否" rejects.
class TConfirmBox : public QDialog
{
    Q_OBJECT
public:
    explicit TConfirmBox(const QString &question, QWidget *parent = nullptr);
};

} // namespace app
