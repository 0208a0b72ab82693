// Clinical evaluation on the main window: phase angles of the chosen segment, the
// left/right ratios of the day with their judgement, and the person's facts.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "app/Log.h"
#include "clinical/LimbRatio.h"
#include "clinical/PhaseAngle.h"
#include "persons/frmAngaben.h"
#include "platform/Messages.h"
#include "session/DayFigures.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QEvent>
#include <QPalette>
#include <QPointer>
#include <tuple>

namespace kavio {

namespace {

// Calls back whenever the watched widget is shown or hidden.
class OnVisibility final : public QObject {
public:
    OnVisibility(QWidget *watched, std::function<void()> changed) : QObject(watched), m_changed(std::move(changed))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

// The verdict's colour, in addition to its word.
QColor verdictColour(clinical::Verdict verdict)
{
    switch (verdict) {
    case clinical::Verdict::Unremarkable:
        return QColor(0, 110, 0);
    case clinical::Verdict::AboveThreshold:
        return QColor(190, 0, 0);
    case clinical::Verdict::NotJudged:
        break;
    }
    return QColor(90, 90, 90);
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

struct PairLabels {
    QLabel *ratio;
    QLabel *verdict;
    QLabel *note;
};

void showPair(const PairLabels &labels, const std::optional<clinical::Judgement> &judgement, bool pending)
{
    QString tooltip;
    if (!judgement) {
        labels.ratio->clear();
        labels.verdict->clear();
        labels.note->setText(QStringLiteral("keine Messung beider Seiten an diesem Tag"));
    } else {
        const clinical::LimbRatio &r = judgement->ratio;
        labels.ratio->setText(QStringLiteral("%1 bei %2 kHz").arg(clinical::ratioText(r)).arg(kiloHertz(r.frequency)));
        labels.verdict->setText(clinical::verdictWord(judgement->verdict));
        setTextColour(labels.verdict, verdictColour(judgement->verdict));
        QStringList note{clinical::ratioSideText(r)};
        if (const QString mark = clinical::frequencyMark(*judgement); !mark.isEmpty())
            note << mark;
        if (pending)
            note << QStringLiteral("noch nicht gespeichert");
        labels.note->setText(note.join(QStringLiteral(", ")));
        tooltip = clinical::judgementTooltip(*judgement);
        if (pending)
            tooltip += QStringLiteral("\nEnthält Messwerte, die noch nicht gespeichert sind.");
    }
    for (QLabel *l : {labels.ratio, labels.verdict, labels.note})
        l->setToolTip(tooltip);
}

} // namespace

void frmMain::setupClinical()
{
    // Person data and computed texts are never read as markup.
    for (QLabel *l : ui->fraAuswertung->findChildren<QLabel *>())
        l->setTextFormat(Qt::PlainText);
    mnuAngaben = ui->menuPatienten->addAction(QStringLiteral("Angaben zur Person …"));
    mnuAngaben->setObjectName(QStringLiteral("mnuAngaben"));
    mnuAngaben->setEnabled(false);
    connect(mnuAngaben, &QAction::triggered, this, &frmMain::cmdAngaben_Click);
    connect(ui->cmdAngaben, &QPushButton::clicked, this, &frmMain::cmdAngaben_Click);

    connect(m_session, &Session::personChanged, this, &frmMain::reloadEvaluation);
    connect(m_session, &Session::dayChanged, this, &frmMain::reloadEvaluation);
    connect(m_session, &Session::measurementsChanged, this, &frmMain::reloadEvaluation);
    connect(m_session, &Session::segmentChanged, this, &frmMain::showEvaluation);
    connect(m_session, &Session::readingTaken, this, &frmMain::showEvaluation);
    connect(m_session, &Session::valuesCleared, this, &frmMain::showEvaluation);
    // Typed values (manual mode) count as soon as they are typed.
    for (QLineEdit *f : m_valueFields)
        connect(f, &QLineEdit::textChanged, this, [this] {
            if (!m_session->automatic())
                showEvaluation();
        });
    // The session is the window's first child and goes first when the window does: no
    // later event of a control being taken down may reach the evaluation.
    const QPointer<Session> alive(m_session);
    const auto update = [this, alive] {
        if (alive)
            updateEvaluationVisibility();
    };
    new OnVisibility(ui->fraOptSegmente, update);
    new OnVisibility(ui->ocxFlex, update);
    // The angles at 5 and 100 kHz are offered where their value fields are (a
    // multi-frequency installation).
    for (const auto *labels : {&lbl5_AR, &lbl100_AR})
        for (QLabel *l : *labels)
            new OnVisibility(l, update);
    updateEvaluationVisibility();
}

void frmMain::updateEvaluationVisibility()
{
    // While the person list is open, the person chosen before is no longer shown.
    const bool person = m_session->person().isSet() && !ui->ocxFlex->isVisibleTo(ui->centralwidget);
    mnuAngaben->setEnabled(person);
    const SegmentInfo *segment = m_session->segment();
    ui->fraAuswertung->setVisible(person && segment && !ui->fraOptSegmente->isVisibleTo(ui->centralwidget));
    if (!segment)
        return;
    const int i = segment->labelIndex;
    for (auto [caption, value, frequencyLabel] :
         {std::tuple{ui->lblPhasenwinkelKHz5, ui->lblPhasenwinkel5, lbl5_AR[i]},
          std::tuple{ui->lblPhasenwinkelKHz100, ui->lblPhasenwinkel100, lbl100_AR[i]}}) {
        const bool offered = frequencyLabel->isVisibleTo(ui->FraMesswerte);
        caption->setVisible(offered);
        value->setVisible(offered);
    }
}

void frmMain::reloadEvaluation()
{
    m_facts = {};
    m_storedOfDay = {};
    const Person &person = m_session->person();
    if (person.isSet()) {
        try {
            SegmentRepository &repository = m_session->repository();
            m_facts = repository.personFacts(person.number);
            for (const SegmentInfo &s : kSegments) {
                const QList<Measurement> rows =
                    repository.measurements(s, person.number, MeasurementOrder::NewestFirst);
                if (const Measurement *latest = clinical::latestOfDay(rows, m_session->day()))
                    m_storedOfDay[static_cast<size_t>(s.storeIndex)] = latest->values;
            }
        } catch (const KavioError &e) {
            // The list and counts read the same database and report what is wrong with it;
            // the evaluation stays empty meanwhile.
            qCWarning(lcWindow) << "reloadEvaluation: evaluation left empty:" << e.number() << e.description();
            m_facts = {};
            m_storedOfDay = {};
        }
    }
    showEvaluation();
}

std::optional<SegmentReading> frmMain::readingInHand() const
{
    const SegmentInfo *segment = m_session->segment();
    if (!segment)
        return std::nullopt;
    if (m_session->automatic())
        return m_session->values(*segment);
    SegmentReading reading;
    auto number = [](const QLineEdit *field) -> std::optional<qint16> {
        try {
            return toInt16(field->text());
        } catch (const KavioError &) {
            return std::nullopt; // still being typed: no value yet
        }
    };
    for (Frequency f : kFrequencies) {
        reading[f].r = number(valueField(resistanceQuantity(f), *segment));
        reading[f].xc = number(valueField(reactanceQuantity(f), *segment));
    }
    return reading;
}

void frmMain::showEvaluation()
{
    updateEvaluationVisibility();
    const SegmentInfo *segment = m_session->segment();
    std::array<std::optional<SegmentReading>, 4> inHand{};
    if (segment)
        inHand[static_cast<size_t>(segment->storeIndex)] = readingInHand();
    const DayFigures figures = dayFigures(inHand, m_storedOfDay, m_facts);

    const std::array<QLabel *, 3> phaseLabels{ui->lblPhasenwinkel5, ui->lblPhasenwinkel50, ui->lblPhasenwinkel100};
    for (Frequency f : kFrequencies) {
        QLabel *label = phaseLabels[static_cast<size_t>(f)];
        const std::optional<double> angle =
            segment ? figures.phase[static_cast<size_t>(segment->storeIndex)][static_cast<size_t>(f)] : std::nullopt;
        const QString text = clinical::phaseAngleText(angle);
        label->setText(text.isEmpty() ? text : text + QStringLiteral("°"));
    }
    ui->lblPhasenwinkelTitel->setText(segment ? QStringLiteral("Phasenwinkel:") : QString());
    ui->lblPhasenwinkelTitel->setToolTip(segment ? QStringLiteral("Phasenwinkel von %1 aus R und Xc: arctan(Xc / R)")
                                                       .arg(QString::fromUtf8(segment->caption))
                                                 : QString());

    const QDate &day = m_session->day();
    ui->fraAuswertung->setTitle(day.isValid() ? QStringLiteral("Auswertung vom ") + germanDate(day)
                                              : QStringLiteral("Auswertung"));
    const std::array<PairLabels, 2> pairs{{{ui->lblVerhaeltnisArme, ui->lblUrteilArme, ui->lblHinweisArme},
                                           {ui->lblVerhaeltnisBeine, ui->lblUrteilBeine, ui->lblHinweisBeine}}};
    for (clinical::Limbs limbs : {clinical::Limbs::Arms, clinical::Limbs::Legs}) {
        const size_t i = limbs == clinical::Limbs::Arms ? 0 : 1;
        bool pending = false;
        for (clinical::Side side : {clinical::Side::Left, clinical::Side::Right})
            pending = pending || figures.inHand[static_cast<size_t>(clinical::limbSegment(limbs, side).storeIndex)];
        showPair(pairs[i], figures.judgement[i], pending && m_session->unsaved());
    }
}

void frmMain::cmdAngaben_Click()
{
    const Person person = m_session->person();
    if (!person.isSet())
        return;
    clinical::PersonFacts facts;
    try {
        facts = m_session->repository().personFacts(person.number);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdAngaben_Click"), QStringLiteral("frmMain")));
        return;
    }
    const QString name = person.name + QStringLiteral(", ") + person.firstName;
    auto save = [this, person, name](const clinical::PersonFacts &edited) {
        QString why;
        try {
            if (m_session->repository().setPersonFacts(person.number, edited)) {
                reloadEvaluation();
                return true;
            }
            why = QStringLiteral("Die Person ist nicht mehr in der Datenbank.");
        } catch (const KavioError &e) {
            why = QStringLiteral("Fehler %1: %2").arg(e.number()).arg(e.description());
        }
        m_platform.messages->stop(QStringLiteral("Die Angaben zu %1 konnten nicht gespeichert werden.\n%2\n"
                                                 "Es wurde nichts geändert.")
                                      .arg(name, why));
        return false;
    };
    auto *dialog = new frmAngaben(name, facts, save, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

} // namespace kavio
