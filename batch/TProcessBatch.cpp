#include "batch/TProcessBatch.h"

#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kTextFilter = QStringLiteral("Text files (*.txt);;All files (*)");
const QString kCsvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");
const char* const kDelimiterProperty = "delimiter";

QLabel* boldLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TProcessBatch::TProcessBatch(QWidget* owner, const TAppContext& context) : QDialog(owner), m_ctx(context) {
    setObjectName(QStringLiteral("ProcessBatch"));
    setWindowTitle(QStringLiteral("Batch File Processing"));
    setModal(true);

    lbl1 = boldLabel(this, "lbl1", QStringLiteral("Input File"));
    edtInFIle = new QLineEdit(this);
    edtInFIle->setObjectName(QStringLiteral("edtInFIle"));
    // Only a chosen name counts: the box shows it and takes no typing.
    edtInFIle->setReadOnly(true);
    lbl1->setBuddy(edtInFIle);
    btnInFIle = button(this, "btnInFIle", QStringLiteral("..."));
    btnInFIle->setAccessibleName(QStringLiteral("Choose Input File"));

    lbl2 = boldLabel(this, "lbl2", QStringLiteral("Output  File"));
    edtOutFile = new QLineEdit(this);
    edtOutFile->setObjectName(QStringLiteral("edtOutFile"));
    edtOutFile->setReadOnly(true);
    lbl2->setBuddy(edtOutFile);
    btnOutFile = button(this, "btnOutFile", QStringLiteral("..."));
    btnOutFile->setAccessibleName(QStringLiteral("Choose Output File"));

    grp1 = new QGroupBox(QStringLiteral("Delimiter Type"), this);
    grp1->setObjectName(QStringLiteral("grp1"));
    QFont bold = grp1->font();
    bold.setBold(true);
    grp1->setFont(bold);
    auto* delimiters = new QGridLayout(grp1);
    struct Choice {
        const char* name;
        const char* caption;
        char16_t character;
    };
    const Choice choices[] = {
        {"rbTab", "Tab", u'\t'},      {"rbSpace", "Space", u' '}, {"rbCRLF", "CR/LF", u'\n'}, {"rbAmperand", "@", u'@'},
        {"rbSemiColon", ";", u';'},   {"rbColon", ":", u':'},     {"rbPipe", "|", u'|'},      {"rbComma", ",", u','},
    };
    int index = 0;
    for (const Choice& c : choices) {
        auto* rb = new QRadioButton(QString::fromUtf8(c.caption), grp1);
        rb->setObjectName(QLatin1String(c.name));
        rb->setProperty(kDelimiterProperty, QVariant::fromValue(QChar(c.character)));
        QFont normal = rb->font();
        normal.setBold(false);
        rb->setFont(normal);
        delimiters->addWidget(rb, index / 4, index % 4);
        m_delimiterButtons << rb;
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                rbTabClick();
        });
        ++index;
    }
    findChild<QRadioButton*>(QStringLiteral("rbCRLF"))->setChecked(true);

    pb1 = new QProgressBar(this);
    pb1->setObjectName(QStringLiteral("pb1"));
    pb1->setRange(0, 1);
    pb1->setValue(0);
    pb1->setTextVisible(false);

    btnOK = button(this, "btnOK", QStringLiteral("OK"));
    btnCancel = button(this, "btnCancel", QStringLiteral("Cancel"));

    auto* files = new QGridLayout;
    files->addWidget(lbl1, 0, 0, 1, 2);
    files->addWidget(edtInFIle, 1, 0);
    files->addWidget(btnInFIle, 1, 1);
    files->addWidget(lbl2, 2, 0, 1, 2);
    files->addWidget(edtOutFile, 3, 0);
    files->addWidget(btnOutFile, 3, 1);
    for (QPushButton* b : {btnInFIle, btnOutFile})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(files);
    column->addWidget(grp1);
    column->addWidget(pb1);
    column->addLayout(buttons);
    setFixedSize(QSize(335, 231).expandedTo(sizeHint()));

    connect(btnInFIle, &QPushButton::clicked, this, &TProcessBatch::btnInFIleClick);
    connect(btnOutFile, &QPushButton::clicked, this, &TProcessBatch::btnOutFileClick);
    connect(btnOK, &QPushButton::clicked, this, &TProcessBatch::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TProcessBatch::btnCancelClick);
    connect(&m_runner, &BatchRunner::begun, this, [this](qint64 total) {
        pb1->setRange(0, int(std::max<qint64>(1, total)));
        pb1->setValue(0);
    });
    connect(&m_runner, &BatchRunner::progress, this, [this](qint64 done, qint64) { pb1->setValue(int(done)); });
    connect(&m_runner, &BatchRunner::finished, this, &TProcessBatch::runFinished);
}

void TProcessBatch::btnInFIleClick() {
    const QString chosen = PromptOpenFileName(this, QStringLiteral("Input File"), m_ctx.App.DocumentsPath, kTextFilter);
    if (chosen.isEmpty())
        return;
    InFileName = chosen;
    edtInFIle->setText(InFileName);
    OutFileName = proposedOutputName(InFileName);
    edtOutFile->setText(OutFileName);
}

void TProcessBatch::btnOutFileClick() {
    const QString start = OutFileName.isEmpty() ? m_ctx.App.DocumentsPath : OutFileName;
    const QString chosen = PromptSaveFileName(this, QStringLiteral("Output File"), start, kCsvFilter, false);
    if (chosen.isEmpty())
        return;
    if (!InFileName.isEmpty() && sameFile(chosen, InFileName)) {
        CenteredMessageDialog(this,
                              QStringLiteral("The output file cannot be the input file:\n%1\nChoose another output file.").arg(chosen),
                              MsgKind::Warning, MsgButton::Ok);
        return;
    }
    OutFileName = chosen;
    edtOutFile->setText(OutFileName);
}

void TProcessBatch::rbTabClick() {
    for (QRadioButton* rb : std::as_const(m_delimiterButtons)) {
        if (rb->isChecked())
            Delimiter = rb->property(kDelimiterProperty).value<QChar>();
    }
}

void TProcessBatch::btnOKClick() {
    if (m_runner.isRunning())
        return;
    if (InFileName.isEmpty()) {
        ShowErrorReport(QStringLiteral("No input file has been chosen: choose the file of call signs with the button \"...\"."));
        return;
    }
    if (sameFile(OutFileName, InFileName)) {
        ShowErrorReport(QStringLiteral("The output file cannot be the input file:\n%1\nChoose another output file.").arg(OutFileName));
        return;
    }
    BatchJob job;
    job.inputFile = InFileName;
    job.outputFile = OutFileName;
    job.delimiter = Delimiter;
    job.licenceDatabase = m_ctx.DM.condb.fileName().isEmpty() ? m_ctx.App.FCCDatabaseFile : m_ctx.DM.condb.fileName();
    job.zipDatabase = m_ctx.DM.Zipdb.fileName().isEmpty() ? m_ctx.App.PostalDatabaseFile : m_ctx.DM.Zipdb.fileName();
    pb1->setRange(0, 1);
    pb1->setValue(0);
    setRunning(true);
    m_runner.start(job);
}

void TProcessBatch::btnCancelClick() { reject(); }

void TProcessBatch::reject() {
    if (m_runner.isRunning()) {
        m_closeWhenStopped = true;
        m_runner.cancel();
        return;
    }
    QDialog::reject();
}

void TProcessBatch::closeEvent(QCloseEvent* event) {
    if (m_runner.isRunning()) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void TProcessBatch::setRunning(bool running) {
    for (QWidget* w : {static_cast<QWidget*>(btnOK), static_cast<QWidget*>(btnInFIle), static_cast<QWidget*>(btnOutFile),
                       static_cast<QWidget*>(grp1)})
        w->setEnabled(!running);
}

void TProcessBatch::runFinished(const BatchResult& result) {
    setRunning(false);
    if (result.cancelled) {
        pb1->setValue(0);
        if (m_closeWhenStopped)
            QDialog::reject();
        return;
    }
    if (!result.ok) {
        pb1->setValue(0);
        ShowErrorReport(result.error);
        return;
    }
    pb1->setValue(pb1->maximum());
    CenteredMessageDialog(this, QStringLiteral("Batch File Conversion Complete\nFilename: ") + OutFileName, MsgKind::Information,
                          MsgButton::Ok);
    accept();
}
