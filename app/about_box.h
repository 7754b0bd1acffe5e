#pragma once

#include <QDialog>

namespace app {

// The maker's support contacts: the about box and the information page show them, the help menu opens them.
inline constexpr char supportEmail[] = "support@velbor.cn";
inline constexpr char supportWebsite[] = "https://www.velbor.cn";
inline constexpr char programVersion[] = "1.0";

// "关于软件": the program title, its version and the support contacts, closed with "确定".
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(const QString &programTitle, QWidget *parent = nullptr);
};

} // namespace app
