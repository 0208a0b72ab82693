#include "persons/frmImport.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/SegmentRepository.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "ui_frmImport.h"

#include <algorithm>
#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>

namespace kavio {

namespace {

const QString kForm = QStringLiteral("frmImport");
const QString kWidthsApp = QStringLiteral("MyApplication");
const QString kWidthsSection = QStringLiteral("Grid1");
const QString kWidthsKey = QStringLiteral("ColWidths");

} // namespace

frmImport::frmImport(const Platform &platform, SegmentRepository &segments, QWidget *mainWindow,
                     std::function<void()> refreshMainList)
    : QWidget(mainWindow, Qt::Window), m_platform(platform), m_segments(segments),
      ui(std::make_unique<Ui::frmImport>()), m_mainWindow(mainWindow), m_refreshMainList(std::move(refreshMainList))
{
    ui->setupUi(this);
    for (int i = 0; i < kDetailBoxes; ++i) {
        txtTeilnehmer[i] = findChild<QLineEdit *>(QStringLiteral("txtTeilnehmer_%1").arg(i));
        lblStammDaten[i] = findChild<QLabel *>(QStringLiteral("lblStammDaten_%1").arg(i));
    }
    TXT_Archiv_Suche = {ui->TXT_Archiv_Suche_0, ui->TXT_Archiv_Suche_1};

    // The second search box, the empty archive grid and the segment frame stand on the
    // window without a part to play.
    ui->TXT_Archiv_Suche_1->setVisible(false);
    ui->LBL_5->setVisible(false);
    ui->GRD_Archiv->setVisible(false);
    ui->fraSegment->setVisible(false);
    // The person number is the key of the deletion: shown, never typed.
    txtTeilnehmer[8]->setReadOnly(true);

    QTableView *grid = ui->Grid1;
    grid->setModel(&m_model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->verticalHeader()->setVisible(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(false);
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_settingWidths)
            m_widthsChanged = true;
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            Grid1_SelChange(current.row());
    });

    connect(ui->optInsert, &QRadioButton::clicked, this, &frmImport::optInsert_Click);
    connect(ui->optDelete, &QRadioButton::clicked, this, &frmImport::optDelete_Click);
    connect(ui->TXT_Archiv_Suche_0, &QLineEdit::textChanged, this, &frmImport::TXT_Archiv_Suche_Change);
    connect(ui->cmdCopyPerson, &QPushButton::clicked, this, &frmImport::cmdCopyPerson_Click);
    connect(ui->cmdErasePerson, &QPushButton::clicked, this, &frmImport::cmdErasePerson_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmImport::cmdClose_Click);

    Form_Load();
}

frmImport::~frmImport() = default;

void frmImport::Form_Load()
{
    if (!bImportModus) {
        ui->optDelete->setChecked(true);
        fillArchivSegmente();
        showMode(false);
        ui->optDelete->setFocus();
    } else {
        ui->optInsert->setChecked(true);
        showMode(true);
        fillArchivBIA();
        ui->TXT_Archiv_Suche_0->setFocus();
    }
    leereTextfelder();
}

void frmImport::showMode(bool importMode)
{
    ui->TXT_Archiv_Suche_0->setVisible(importMode);
    ui->LBL_4->setVisible(importMode);
    // One command at the shared place: the one of the mode.
    ui->cmdCopyPerson->setVisible(importMode);
    ui->cmdErasePerson->setVisible(!importMode);
    // The boxes may be edited before a copy; in delete mode they show what goes.
    for (int i = 0; i < kDetailBoxes - 1; ++i)
        txtTeilnehmer[i]->setReadOnly(!importMode);
}

void frmImport::optDelete_Click()
{
    ui->optInsert->setChecked(false);
    fillArchivSegmente();
    bImportModus = false;
    showMode(false);
    leereTextfelder();
}

void frmImport::optInsert_Click()
{
    fillArchivBIA();
    bImportModus = true;
    showMode(true);
    leereTextfelder();
}

void frmImport::TXT_Archiv_Suche_Change()
{
    // The box is hidden in delete mode; should its text change there all the same, the
    // list stays the segment database's.
    if (ui->optDelete->isChecked())
        fillArchivSegmente();
    else
        fillArchivBIA();
}

void frmImport::fillArchivBIA()
{
    keepColumnWidths();
    m_model.clear();
    fillArchiv(
        [this]() -> QList<PersonRow> {
            const DbConnection db = dbOpenBIA(m_platform);
            // The opening rule has told the operator why there is no list.
            return db.isOpen() ? readPersonList(db, ui->TXT_Archiv_Suche_0->text()) : QList<PersonRow>();
        },
        QStringLiteral("fillArchivBIA"));
}

void frmImport::fillArchivSegmente()
{
    keepColumnWidths();
    m_model.clear();
    fillArchiv([this] { return m_segments.persons(ui->TXT_Archiv_Suche_0->text()); },
               QStringLiteral("fillArchivSegmente"));
}

void frmImport::fillArchiv(const std::function<QList<PersonRow>()> &read, const QString &procedure)
{
    m_settingWidths = true;
    try {
        m_model.setRows(read());
    } catch (const KavioError &e) {
        m_model.clear();
        m_platform.messages->plain(errorForm(e, procedure, kForm));
    }
    m_settingWidths = false;
    applyColumnWidths();
}

void frmImport::leereTextfelder()
{
    for (QLineEdit *box : txtTeilnehmer)
        box->clear();
}

bool frmImport::fTeilnehmerVorhanden(const QString &Vorname, const QString &Name, const QString &GebDat)
{
    if (Vorname.isEmpty())
        return false;
    // The date is checked before the database is read.
    birthDayOfBox(GebDat);
    return m_segments.personPresent(Vorname, Name, GebDat);
}

void frmImport::Grid1_SelChange(int row)
{
    bool ok = false;
    const qint32 n = m_model.text(row, kLfdNrColumn).trimmed().toInt(&ok);
    if (!ok)
        return;
    try {
        std::optional<PersonBoxes> boxes;
        if (!bImportModus) {
            boxes = m_segments.personDetails(n);
        } else {
            const DbConnection db = dbOpenBIA(m_platform);
            if (!db.isOpen())
                return; // the opening rule has told the operator why
            boxes = readPersonDetails(db, n);
        }
        if (!boxes) {
            leereTextfelder();
            return;
        }
        for (int i = 0; i < kDetailBoxes; ++i) {
            txtTeilnehmer[i]->setText((*boxes)[i]);
            txtTeilnehmer[i]->setCursorPosition(0); // a long text shows its start
        }
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("Grid1_SelChange"), kForm));
    }
}

void frmImport::cmdCopyPerson_Click()
{
    if (!bImportModus)
        return;
    PersonBoxes b;
    for (int i = 0; i < kDetailBoxes; ++i)
        b[i] = txtTeilnehmer[i]->text();
    if (!m_platform.messages->ask(QStringLiteral("Wollen Sie ") + b[1] + QLatin1Char(' ') + b[0] + QChar(13) +
                                      QStringLiteral("zur Gliederanalyse hinzufügen"),
                                  MsgIcon::None, QStringLiteral("Limbox")))
        return;
    if (b[1].isEmpty()) {
        m_platform.messages->info(QStringLiteral("Bitte geben Sie der Person einen Vornamen"));
        return;
    }
    try {
        if (fTeilnehmerVorhanden(b[1], b[0], b[3])) {
            m_platform.messages->stop(QStringLiteral("Teilnehmer bereits vorhanden! Vorgang wird abgebrochen"));
            return;
        }
        m_segments.storePerson(b);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdCopyPerson_Click"), kForm));
        return;
    }
    if (m_refreshMainList)
        m_refreshMainList();
}

void frmImport::cmdErasePerson_Click()
{
    if (bImportModus)
        return;
    const QString box8 = txtTeilnehmer[8]->text();
    if (box8.trimmed().isEmpty()) {
        m_platform.messages->info(QStringLiteral("Bitte wählen Sie eine Person aus."));
        return;
    }
    try {
        const qint32 n = toInt32(box8);
        if (!m_platform.messages->ask(QStringLiteral("Wollen Sie den Teilnehmer ") + txtTeilnehmer[1]->text() +
                                      QLatin1Char(' ') + txtTeilnehmer[0]->text() +
                                      QStringLiteral(" wirklich löschen?"))) {
            m_platform.messages->info(QStringLiteral("Vorgang durch Benutzer abgebrochen!"));
            return;
        }
        m_segments.deletePerson(n);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdErasePerson_Click"), kForm));
        return;
    }
    fillArchivSegmente();
    leereTextfelder();
    if (m_refreshMainList)
        m_refreshMainList();
}

void frmImport::cmdClose_Click()
{
    close();
}

void frmImport::closeEvent(QCloseEvent *event)
{
    keepColumnWidths();
    if (m_refreshMainList)
        m_refreshMainList();
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
    event->accept();
}

int frmImport::fittingWidth(int column) const
{
    // The given widths suit a smaller system font than most today: no column is made
    // narrower than its heading, nor the birth date narrower than a whole date.
    const int margin = 2 * ui->Grid1->style()->pixelMetric(QStyle::PM_HeaderMargin) + 4;
    const QString heading = QString::fromLatin1(kPersonColumnNames[column]);
    int width = ui->Grid1->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + margin;
    if (column == 2)
        width = std::max(width, ui->Grid1->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + margin);
    return width;
}

int frmImport::twipsToPixels(int twips) const
{
    return qRound(twips * ui->Grid1->logicalDpiX() / 1440.0);
}
int frmImport::pixelsToTwips(int pixels) const
{
    return qRound(pixels * 1440.0 / ui->Grid1->logicalDpiX());
}

void frmImport::applyColumnWidths()
{
    m_settingWidths = true;
    const QList<int> kept = decodeColumnWidths(m_platform.settings->ownSetting(kWidthsApp, kWidthsSection, kWidthsKey));
    for (int c = 0; c < kPersonColumns; ++c) {
        if (c < kept.size() && kept[c] > 0)
            ui->Grid1->setColumnWidth(c, twipsToPixels(kept[c]));
        else
            ui->Grid1->setColumnWidth(c, std::max(twipsToPixels(kPersonColumnTwips[c]), fittingWidth(c)));
    }
    m_settingWidths = false;
}

void frmImport::keepColumnWidths()
{
    if (!m_widthsChanged)
        return;
    m_widthsChanged = false;
    // Entries beyond this list's columns belong to the history list: kept as they are.
    QList<int> widths = decodeColumnWidths(m_platform.settings->ownSetting(kWidthsApp, kWidthsSection, kWidthsKey));
    widths.resize(std::max<qsizetype>(widths.size(), kPersonColumns));
    for (int c = 0; c < kPersonColumns; ++c)
        widths[c] = std::clamp(pixelsToTwips(ui->Grid1->columnWidth(c)), 100, 30000);
    m_platform.settings->setOwnSetting(kWidthsApp, kWidthsSection, kWidthsKey, encodeColumnWidths(widths));
}

} // namespace kavio
