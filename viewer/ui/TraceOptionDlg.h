// The trace settings dialog: how deep and from which scope the library traces
// native code during interactive runs.
#pragma once

#include <QDialog>

#include "TraceSettings.h"

class QLineEdit;
class QSlider;

class TraceOptionDlg : public QDialog {
    Q_OBJECT

public:
    explicit TraceOptionDlg(viewer::TraceSettings& settings, QWidget* parent = nullptr);

private slots:
    void apply();
    void showDepth(int depth);

private:
    viewer::TraceSettings& settings;

    QSlider* depthSlider;
    QLineEdit* depthField;
    QLineEdit* rootField;
};
