// Building the main dialog's controls and menus, and placing them at each resize.
#include <QAction>
#include <QActionGroup>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>

#include <algorithm>

#include "GraphicPane.h"
#include "NumberedPane.h"
#include "ViewerDlg.h"

namespace {

// Rows of the dialog's template, in pixels; a resize moves controls only
// sideways, except the bottom buttons and the panes.
constexpr int groupTop = 2;
constexpr int groupHeight = 50;
constexpr int rowTop = 20;
constexpr int rowHeight = 24;
constexpr int sliderTop = 56;
constexpr int sliderHeight = 20;
// The status line below the buttons.
constexpr int statusHeight = 22;

// Tab stops every 18 dialog template units; a unit is a quarter of the
// dialog font's average character width.
constexpr double tabStopUnits = 18;

void placeRow(QWidget* widget, int top, int height) {
    widget->setGeometry(0, top, 1, height);
}

void placeEdges(QWidget* widget, viewer::Edges edges) {
    widget->setGeometry(edges.left, widget->y(), std::max(0, edges.right - edges.left),
                        widget->height());
}

QPushButton* newButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Return in a field must never press a button.
    button->setAutoDefault(false);
    return button;
}

QGroupBox* newGroup(const QString& caption, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    placeRow(group, groupTop, groupHeight);
    return group;
}

QLineEdit* newField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    placeRow(field, rowTop, rowHeight);
    return field;
}

template <class Pane = QPlainTextEdit>
Pane* newPane(const char* name, QWidget* parent) {
    auto* pane = new Pane(parent);
    pane->setObjectName(QLatin1String(name));
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    pane->setFont(font);
    return pane;
}

}  // namespace

// Group boxes come first, so that the fields and buttons inside them lie on top.
void ViewerDlg::createControls() {
    controlGroup = newGroup(tr("Control"), this);
    inputGroup = newGroup(tr("Inputfile"), this);
    outputGroup = newGroup(tr("Outputfile"), this);
    searchGroup = newGroup(tr("Search"), this);

    inputField = newField("inputFile", this);
    inputField->setReadOnly(true);
    outputField = newField("outputField", this);
    outputField->setReadOnly(true);
    searchField = newField("searchText", this);

    scriptPane = newPane<NumberedPane>("script", this);
    scriptPane->setTabStopDistance(tabStopUnits * QFontMetricsF(font()).averageCharWidth() / 4);
    outputPane = newPane("output", this);
    outputPane->setReadOnly(true);
    graphicPane = new GraphicPane(displayRecords);
    outputStack = new QStackedWidget(this);
    outputStack->setObjectName(QStringLiteral("outputStack"));
    outputStack->addWidget(outputPane);
    outputStack->addWidget(graphicPane);

    splitSlider = new QSlider(Qt::Horizontal, this);
    splitSlider->setObjectName(QStringLiteral("Slider1"));
    splitSlider->setRange(0, 100);
    splitSlider->setPageStep(50);
    splitSlider->setValue(50);
    splitSlider->setTickPosition(QSlider::NoTicks);
    placeRow(splitSlider, sliderTop, sliderHeight);
    statusLine = new QStatusBar(this);
    statusLine->setObjectName(QStringLiteral("status"));
    statusLine->setSizeGripEnabled(false);
    connectionLabel = new QLabel(tr("local"), statusLine);
    connectionLabel->setObjectName(QStringLiteral("connection"));
    statusLine->addPermanentWidget(connectionLabel);
    createButtons();
}

void ViewerDlg::createButtons() {
    searchBackButton = newButton(QStringLiteral("<"), "searchBack", this);
    searchForwardButton = newButton(QStringLiteral(">"), "searchForward", this);
    fileButton = newButton(tr("&File"), "file", this);
    settingsButton = newButton(tr("&Settings"), "settings", this);
    for (QWidget* button : {searchBackButton, searchForwardButton, fileButton, settingsButton})
        placeRow(button, rowTop, rowHeight);
    rereadButton = newButton(tr("R&eRead"), "reread", this);
    saveButton = newButton(tr("S&ave"), "save", this);
    runButton = newButton(tr("&Run"), "run", this);
    clearLogButton = newButton(tr("&ClearLog"), "clearLog", this);

    connect(searchBackButton, &QPushButton::clicked, this, &ViewerDlg::searchBack);
    connect(searchForwardButton, &QPushButton::clicked, this, &ViewerDlg::searchForward);
    connect(fileButton, &QPushButton::clicked, this, &ViewerDlg::showFileMenu);
    connect(settingsButton, &QPushButton::clicked, this, &ViewerDlg::showSettingsMenu);
    connect(rereadButton, &QPushButton::clicked, this, &ViewerDlg::reread);
    connect(saveButton, &QPushButton::clicked, this, &ViewerDlg::save);
    connect(runButton, &QPushButton::clicked, this, &ViewerDlg::run);
    connect(clearLogButton, &QPushButton::clicked, this, &ViewerDlg::clearLog);
    connect(splitSlider, &QSlider::sliderReleased, this, &ViewerDlg::splitPanes);
    // A click beside the thumb or a key moves the slider without a release.
    connect(splitSlider, &QSlider::valueChanged, this, [this] {
        if (!splitSlider->isSliderDown()) splitPanes();
    });
}

void ViewerDlg::createMenus() {
    fileMenu = new QMenu(this);
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    fileMenu->addAction(tr("&New"), this, &ViewerDlg::newScript);
    fileMenu->addAction(tr("&Open"), this, &ViewerDlg::open);
    fileMenu->addAction(tr("&SaveAs"), this, &ViewerDlg::saveAs);
    fileMenu->addAction(tr("Load &module..."), this, &ViewerDlg::loadModule);
    fileMenu->addAction(tr("&Exit"), this, &ViewerDlg::exitViewer);

    settingsMenu = new QMenu(this);
    settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    settingsMenu->addAction(tr("&Trace..."), this, &ViewerDlg::showTraceSettings);
    settingsMenu->addAction(tr("&Remote..."), this, &ViewerDlg::showRemoteSettings);
    QMenu* outputMenu = settingsMenu->addMenu(tr("&Output"));
    textlogAction = outputMenu->addAction(tr("&Textlog"), this, &ViewerDlg::showTextlog);
    graphicAction = outputMenu->addAction(tr("&Graphic"), this, &ViewerDlg::showGraphic);
    auto* modes = new QActionGroup(this);
    for (QAction* mode : {textlogAction, graphicAction}) {
        mode->setCheckable(true);
        modes->addAction(mode);
    }
    textlogAction->setChecked(true);
}

void ViewerDlg::layoutControls(int width, int height) {
    const viewer::DialogLayout layout =
        paneLayout.resize(width, height - statusHeight, splitSlider->y() + splitSlider->height());
    statusLine->setGeometry(0, height - statusHeight, width, statusHeight);
    placeEdges(splitSlider, layout.slider);
    placeEdges(fileButton, layout.fileButton);
    placeEdges(settingsButton, layout.settingsButton);
    placeEdges(controlGroup, layout.controlGroup);
    placeEdges(inputGroup, layout.inputGroup);
    placeEdges(outputGroup, layout.outputGroup);
    placeEdges(searchGroup, layout.searchGroup);
    placeEdges(outputField, layout.outputField);
    placeEdges(inputField, layout.inputField);
    placeEdges(searchBackButton, layout.searchBackButton);
    placeEdges(searchForwardButton, layout.searchForwardButton);
    placeEdges(searchField, layout.searchField);
    const int buttonHeight = layout.buttonBottom - layout.buttonTop;
    for (QWidget* button : {rereadButton, saveButton, runButton, clearLogButton})
        placeRow(button, layout.buttonTop, buttonHeight);
    placeEdges(rereadButton, layout.rereadButton);
    placeEdges(saveButton, layout.saveButton);
    placeEdges(runButton, layout.runButton);
    placeEdges(clearLogButton, layout.clearLogButton);
}

void ViewerDlg::splitPanes() {
    const QRect outer = frameGeometry();
    const viewer::PaneSplit split =
        paneLayout.split(splitSlider->value(), outer.width(), outer.height());
    const int height = split.rows.bottom - split.rows.top;
    scriptPane->setGeometry(split.script.left, split.rows.top,
                            std::max(0, split.script.right - split.script.left), height);
    outputStack->setGeometry(split.output.left, split.rows.top,
                             std::max(0, split.output.right - split.output.left), height);
}
