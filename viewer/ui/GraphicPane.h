// The output pane's graphic page: it draws the display list, mirroring a
// device's screen, whenever it paints.
#pragma once

#include <QWidget>

#include "DisplayFonts.h"

namespace display {
class DisplayList;
}

class GraphicPane : public QWidget {
    Q_OBJECT

public:
    explicit GraphicPane(const display::DisplayList& list, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const display::DisplayList& displayList;
    DisplayFonts fonts;
};
