#pragma once
// "单项内容查询": a field and a value, searched with the main search row's operator.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace search {

class SingleFieldSearch;

class Tsearch_one_Fieldw : public QDialog {
    Q_OBJECT
public:
    Tsearch_one_Fieldw(SingleFieldSearch &search, const QStringList &mainRowFields, QWidget *parent = nullptr);

    QComboBox *ComboBox1;
    QLineEdit *Edit1;
    QPushButton *Button2; // "查询"
    QPushButton *Button1; // "返回"

private:
    void Button2Click();
    void Button1Click();

    SingleFieldSearch &search_;
};

} // namespace search
