#pragma once
// Panel_xf: the designer canvas, a view of the loaded layout drawn by the print engine's routine.

#include <QWidget>

namespace waybill {
class WaybillLayout;
}

namespace print {

class LayoutCanvas : public QWidget {
    Q_OBJECT
public:
    explicit LayoutCanvas(QWidget *parent = nullptr);
    void setLayout(const waybill::WaybillLayout *layout);
    // The layout was loaded or filled anew: size and draw it again.
    void layoutChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const waybill::WaybillLayout *layout_ = nullptr;
};

} // namespace print
