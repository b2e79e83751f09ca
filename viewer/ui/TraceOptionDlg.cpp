#include "TraceOptionDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "Latin1Text.h"

TraceOptionDlg::TraceOptionDlg(viewer::TraceSettings& traceSettings, QWidget* parent)
    : QDialog(parent),
      settings(traceSettings),
      depthSlider(new QSlider(Qt::Horizontal)),
      depthField(new QLineEdit),
      rootField(new QLineEdit) {
    setWindowTitle(tr("Trace Settings"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    depthSlider->setObjectName(QStringLiteral("Slider1"));
    depthSlider->setRange(0, viewer::maxTraceDepth);
    depthSlider->setValue(settings.depth);
    depthField->setObjectName(QStringLiteral("depth"));
    depthField->setReadOnly(true);
    depthField->setFixedWidth(48);
    rootField->setObjectName(QStringLiteral("root"));
    rootField->setText(fromLatin1Text(settings.root));
    showDepth(depthSlider->value());
    connect(depthSlider, &QSlider::valueChanged, this, &TraceOptionDlg::showDepth);

    auto* depthRow = new QHBoxLayout;
    depthRow->addWidget(new QLabel(tr("Trace depth")));
    depthRow->addStretch();
    depthRow->addWidget(depthField);

    auto* rootGroup = new QGroupBox(tr("Trace root"));
    auto* rootLayout = new QVBoxLayout(rootGroup);
    rootLayout->addWidget(rootField);

    auto* applyButton = new QPushButton(tr("&Apply"));
    applyButton->setObjectName(QStringLiteral("apply"));
    applyButton->setDefault(true);
    auto* closeButton = new QPushButton(tr("&Close"));
    closeButton->setObjectName(QStringLiteral("close"));
    closeButton->setAutoDefault(false);
    connect(applyButton, &QPushButton::clicked, this, &TraceOptionDlg::apply);
    connect(closeButton, &QPushButton::clicked, this, &TraceOptionDlg::reject);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(applyButton);
    buttonRow->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(depthSlider);
    layout->addLayout(depthRow);
    layout->addWidget(rootGroup);
    layout->addLayout(buttonRow);
}

void TraceOptionDlg::apply() {
    viewer::applyTrace(settings, depthSlider->value(), latin1Text(rootField->text()));
    accept();
}

void TraceOptionDlg::showDepth(int depth) {
    depthField->setText(QString::fromStdString(viewer::depthText(depth)));
}
