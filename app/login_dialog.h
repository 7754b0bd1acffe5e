#pragma once
// Tkhdlw: the login dialog, a view over LoginController.

#include "app/login_controller.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace app {

class Tkhdlw : public QDialog
{
    Q_OBJECT
public:
    explicit Tkhdlw(LoginController &controller, QWidget *parent = nullptr);

    QComboBox *ComboBox1; // 服务器
    QComboBox *ComboBox3; // 数据库 (account set)
    QComboBox *ComboBox2; // 用户名称
    QLineEdit *Edit1;     // 登录密码
    QPushButton *Button1; // 登录
    QPushButton *Button2; // 退出

    // "退出", Escape and the close box.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Button1Click();
    void readBoxes();
    void showForm();
    void moveFocus(LoginController::Focus focus);

    LoginController &m_controller;
};

} // namespace app
