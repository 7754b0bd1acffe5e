#pragma once
#include <QList>
#include <QString>

class QDialog;
class QPushButton;

namespace app {

// Lays out a prompt box: the text in red 14-point type over a centred row of buttons, 400 pixels
// wide, as high as the text needs (at least 150), fixed in size and centred on the screen.
void layoutPromptBox(QDialog *box, const QString &text, const QList<QPushButton *> &buttons);

} // namespace app
