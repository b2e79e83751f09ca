// The viewer's own marks: the error's place in the script pane, the failed
// blocks in the output pane, the way from one failure to the next and from a
// failed block to its test's line.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>

#include "PaneText.h"
#include "ViewerDlg.h"

void ViewerDlg::markScript(int start, int end) {
    scriptSearch->setMarks(PaneMark::error, {{start, end}});
    if (start != end) scriptSearch->placeCaret(start);
}

void ViewerDlg::markFailures(const std::vector<viewer::RunFailure>& failures) {
    failureIndex = viewer::indexFailures(outputSearch->text(), failures);
    outputSearch->setMarks(PaneMark::failure, failureIndex.errorLines);
}

void ViewerDlg::nextFailure() {
    showFailure(true);
}

void ViewerDlg::previousFailure() {
    showFailure(false);
}

void ViewerDlg::showFailure(bool forward) {
    if (graphicShown) return;
    const int at = viewer::nextFailedBlock(failureIndex, outputSearch->caret(), forward);
    if (at < 0) {
        statusLine->showMessage(tr("no failures in the output"));
        return;
    }
    const viewer::FailedBlock& block = failureIndex.blocks[static_cast<std::size_t>(at)];
    outputPane->setFocus(Qt::OtherFocusReason);
    outputSearch->placeCaret(block.range.start);
    statusLine->showMessage(tr("failure %1 of %2: %3")
                                .arg(at + 1)
                                .arg(failureIndex.blocks.size())
                                .arg(decodeShown(block.name)));
}

// The caret goes to the start of the test's line; nothing is selected, so
// that the next run still runs every test.
void ViewerDlg::showFailedTest() {
    const int at = viewer::failedBlockAt(failureIndex, outputSearch->caret());
    if (at < 0) return;
    const viewer::FailedBlock& block = failureIndex.blocks[static_cast<std::size_t>(at)];
    const QString name = decodeShown(block.name);
    const QTextBlock line = scriptPane->document()->findBlockByNumber(block.scriptLine - 1);
    if (block.scriptLine <= 0 || !line.isValid()) {
        statusLine->showMessage(tr("%1 was not written by the last run").arg(name));
        return;
    }
    QTextCursor cursor(line);
    scriptPane->setTextCursor(cursor);
    scriptPane->setFocus(Qt::OtherFocusReason);
    scriptPane->centerCursor();
    statusLine->showMessage(tr("test %1 at line %2").arg(name).arg(block.scriptLine));
}
