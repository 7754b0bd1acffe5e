#pragma once

#include <QDialog>

namespace app {

// The notice box: a message in red and "确定".
class TNoticeBox : public QDialog
{
    Q_OBJECT
public:
    explicit TNoticeBox(const QString &text, QWidget *parent = nullptr);
};

} // namespace app
