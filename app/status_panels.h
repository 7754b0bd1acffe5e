#pragma once

#include <QWidget>

#include <array>

class QLabel;

namespace app {

// The main window's six status panels: "提示", the message panel, "记录", the grid position,
// "时间" and a spare one. All but the message panel have fixed widths; it takes what is left.
class StatusPanels : public QWidget
{
    Q_OBJECT
public:
    enum Panel { Hint, Message, Records, Position, Time, Spare, Count };

    explicit StatusPanels(QWidget *parent = nullptr);

    // Paints at once, so the text shows while a blocking server call follows.
    void setText(int panel, const QString &text);
    QString text(int panel) const;
    int panelWidth(int panel) const;

private:
    std::array<QLabel *, Count> panels_{};
};

} // namespace app
