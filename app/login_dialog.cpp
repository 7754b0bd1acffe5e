#include "app/login_dialog.h"

#include "app/prompt_service.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {
namespace {

QComboBox *listBox(bool editable)
{
    auto *box = new QComboBox;
    box->setEditable(editable);
    // The lists change only through remembering, never by Enter inserting the text.
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QLabel *hint(const QString &text)
{
    auto *label = new QLabel(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    return label;
}

} // namespace

Tkhdlw::Tkhdlw(LoginController &controller, QWidget *parent)
    : QDialog(parent), ComboBox1(listBox(false)), ComboBox3(listBox(true)), ComboBox2(listBox(true)),
      Edit1(new QLineEdit), Button1(new QPushButton(QStringLiteral("登录"))),
      Button2(new QPushButton(QStringLiteral("退出"))), m_controller(controller)
{
    setObjectName(QStringLiteral("khdlw"));
    setWindowTitle(QStringLiteral("Velbor在线快递单打印软件登陆窗口"));
    setFont(QFont(QStringLiteral("宋体"), 16));
    ComboBox1->addItems({QStringLiteral("服务器一"), QStringLiteral("服务器二"), QStringLiteral("服务器三"),
                         QStringLiteral("服务器四")});
    Edit1->setEchoMode(QLineEdit::Password);

    auto *fields = new QGridLayout;
    const std::pair<const char *, QWidget *> rows[] = {
        {"服 务 器", ComboBox1}, {"数 据 库", ComboBox3}, {"用户名称", ComboBox2}, {"登录密码", Edit1}};
    for (int row = 0; row < 4; ++row) {
        fields->addWidget(new QLabel(QString::fromUtf8(rows[row].first)), row, 0);
        fields->addWidget(rows[row].second, row, 1);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(hint(QStringLiteral("提示：数据库自己起名")));
    layout->addWidget(hint(QStringLiteral("新数据库默认用户名：%1  密码：%2").arg(NewAccountSetUser, NewAccountSetPassword)));
    setFixedSize(402, 277);

    m_controller.load();
    showForm();
    for (QWidget *box : QList<QWidget *>{ComboBox1, ComboBox3->lineEdit(), ComboBox2->lineEdit(), Edit1})
        box->installEventFilter(this);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) { m_controller.chooseServer(index); });
    connect(Button1, &QPushButton::clicked, this, &Tkhdlw::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tkhdlw::reject);
    centreOnScreen(this);
}

void Tkhdlw::readBoxes()
{
    LoginForm &form = m_controller.form();
    form.accountSet = ComboBox3->currentText();
    form.user = ComboBox2->currentText();
    form.password = Edit1->text();
}

void Tkhdlw::showForm()
{
    const LoginForm &form = m_controller.form();
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->setCurrentIndex(form.server);
    const auto fill = [](QComboBox *box, const QStringList &items, const QString &text) {
        box->clear();
        box->addItems(items);
        box->setEditText(text);
    };
    fill(ComboBox3, form.accountSets, form.accountSet);
    fill(ComboBox2, form.users, form.user);
    Edit1->setText(form.password);
}

void Tkhdlw::moveFocus(LoginController::Focus focus)
{
    switch (focus) {
    case LoginController::Focus::Stay:
        break;
    case LoginController::Focus::User:
        ComboBox2->setFocus();
        break;
    case LoginController::Focus::Password:
        Edit1->setFocus();
        break;
    case LoginController::Focus::LoginButton:
        Button1->setFocus();
        break;
    }
}

bool Tkhdlw::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    // Enter moves through the boxes here; it must not reach the dialog's default button.
    readBoxes();
    LoginController::Focus focus = LoginController::Focus::Stay;
    if (watched == ComboBox1)
        focus = m_controller.enterInServer();
    else if (watched == ComboBox3->lineEdit())
        focus = m_controller.enterInAccountSet();
    else if (watched == ComboBox2->lineEdit())
        focus = m_controller.enterInUser();
    else
        focus = m_controller.enterInPassword();
    showForm();
    moveFocus(focus);
    return true;
}

void Tkhdlw::Button1Click()
{
    readBoxes();
    const LoginController::Focus focus = m_controller.login();
    showForm();
    if (m_controller.loginCompleted())
        accept();
    else
        moveFocus(focus);
}

void Tkhdlw::reject()
{
    m_controller.leave();
    QDialog::reject();
}

} // namespace app
