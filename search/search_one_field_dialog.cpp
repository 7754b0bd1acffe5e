#include "search_one_field_dialog.h"

#include "app/list_file.h"
#include "app/prompt_service.h"
#include "single_field_search.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace search {

Tsearch_one_Fieldw::Tsearch_one_Fieldw(SingleFieldSearch &search, const QStringList &mainRowFields, QWidget *parent)
    : QDialog(parent), search_(search)
{
    setWindowTitle(QStringLiteral("单项内容查询"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    Edit1 = new QLineEdit(this);
    Button2 = new QPushButton(QStringLiteral("查询"), this);
    Button1 = new QPushButton(QStringLiteral("返回"), this);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(new QLabel(QStringLiteral("项目选择"), this), 0, 0);
    layout->addWidget(ComboBox1, 0, 1);
    layout->addWidget(Button2, 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("查询内容"), this), 1, 0);
    layout->addWidget(Edit1, 1, 1);
    layout->addWidget(Button1, 1, 2);
    setFixedSize(320, 91);
    app::centreOnScreen(this);

    if (search.viewNumber() == 1) {
        ComboBox1->addItems(mainRowFields);
        if (const auto remembered = app::readFirstLine(search.directoryDefaultFieldFile()))
            ComboBox1->setEditText(*remembered);
    }
    connect(Button2, &QPushButton::clicked, this, &Tsearch_one_Fieldw::Button2Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &Tsearch_one_Fieldw::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &Tsearch_one_Fieldw::Button1Click);
}

void Tsearch_one_Fieldw::Button2Click()
{
    const QString field = ComboBox1->currentText();
    if (ComboBox1->findText(field, Qt::MatchExactly) < 0 || Edit1->text().isEmpty())
        return;
    search_.Search_One_Field(field, Edit1->text());
}

void Tsearch_one_Fieldw::Button1Click()
{
    app::writeSingleValue(search_.directoryDefaultFieldFile(), ComboBox1->currentText());
    accept();
}

} // namespace search
