#include "settings/SetupForm.h"

#include "numbers/PhoneNumbers.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "telephony/LineService.h"
#include "ui/Prompt.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace telvora {

namespace {

// The line's icon, at its own size, inside the picture's frame.
constexpr int kIconMargin = 4;
constexpr int kIconSize = 32;

template <typename Widget>
Widget* place(Widget* widget, const QString& name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

} // namespace

SetupForm::SetupForm(Registry& registry, StoredSettings& settings, LineService& lines,
                     Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_registry(registry), m_settings(settings), m_lines(lines), m_prompt(prompt)
{
    build();
    Form_Load();
}

void SetupForm::build()
{
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(tr("Setup"));
    // Rows below the arrangement hold the button that sets up the lines themselves, what
    // numbers from links need, and how long the call history is kept.
    setFixedSize(twips(5340), twips(4965));

    const struct
    {
        int index;
        const char* caption;
        int left, top, width, height;
    } labels[] = {
        {0, QT_TRANSLATE_NOOP("telvora::SetupForm", "Modem :"), 315, 270, 780, 240},
        {2, QT_TRANSLATE_NOOP("telvora::SetupForm", "to Acces an Outside Line Call :"), 315, 675,
         2685, 240},
        {3, QT_TRANSLATE_NOOP("telvora::SetupForm", "Retry Times :"), 315, 1215, 1185, 240},
        {1, QT_TRANSLATE_NOOP("telvora::SetupForm", "Time between redial attempts"), 315, 1710,
         2640, 240},
        {4, QT_TRANSLATE_NOOP("telvora::SetupForm", "Country of the lines :"), 315, 3615, 1950,
         240},
        {5, QT_TRANSLATE_NOOP("telvora::SetupForm", "Keep call history, days :"), 315, 4455, 2900,
         240}};
    // The arrangement was measured with a narrow face of Arial's proportions, as the main
    // window's was; wider faces cut the labels off.
    QFont face(QStringLiteral("Liberation Sans"));
    face.setStyleHint(QFont::SansSerif);
    face.setPointSizeF(8.25);
    setFont(face);
    QFont bold = face;
    bold.setBold(true);
    for (const auto& entry : labels) {
        auto* label =
            place(new QLabel(tr(entry.caption), this), QStringLiteral("Label1_%1").arg(entry.index),
                  entry.left, entry.top, entry.width, entry.height);
        label->setFont(bold);
    }
    cboLineSel = place(new QComboBox(this), QStringLiteral("cboLineSel"), 1215, 225, 3255, 315);
    cboLineSel->setEditable(true);
    cboLineSel->setInsertPolicy(QComboBox::NoInsert);
    picIcon = place(new QLabel(this), QStringLiteral("picIcon"), 4500, 45, 660, 660);
    picIcon->setFrameShape(QFrame::StyledPanel);
    prefix_text = place(new QLineEdit(this), QStringLiteral("prefix_text"), 3285, 675, 960, 375);
    retry_times_text =
        place(new QLineEdit(this), QStringLiteral("retry_times_text"), 3285, 1170, 960, 375);
    TimeAttemptText =
        place(new QLineEdit(this), QStringLiteral("TimeAttemptText"), 3285, 1665, 960, 375);
    HistoryDaysText =
        place(new QLineEdit(this), QStringLiteral("HistoryDaysText"), 3285, 4410, 960, 375);
    HistoryDaysText->setToolTip(tr("0 keeps the call history for ever"));
    OK_button =
        place(new QPushButton(tr("OK"), this), QStringLiteral("OK_button"), 315, 2475, 1140, 420);
    Cancel_button = place(new QPushButton(tr("Cancel"), this), QStringLiteral("Cancel_button"),
                          1755, 2475, 1140, 420);
    Apply_Button = place(new QPushButton(tr("Apply"), this), QStringLiteral("Apply_Button"), 3105,
                         2475, 1140, 420);
    Lines_button = place(new QPushButton(tr("&Lines..."), this), QStringLiteral("Lines_button"),
                         315, 3045, 1140, 420);
    Lines_button->hide();
    AddressBook_button = place(new QPushButton(tr("Address book server..."), this),
                               QStringLiteral("AddressBook_button"), 1755, 3045, 2490, 420);
    AddressBook_button->hide();
    cboCountry = place(new QComboBox(this), QStringLiteral("cboCountry"), 2310, 3570, 2715, 315);
    for (const QString& code : PhoneNumbers::countries())
        cboCountry->addItem(PhoneNumbers::countryName(code), code);
    cboCountry->model()->sort(0);
    chkDialLinks = place(new QCheckBox(tr("Dial links at once"), this),
                         QStringLiteral("chkDialLinks"), 315, 3990, 4710, 300);
    OK_button->setDefault(true);

    // Keyboard order: Cancel, OK, the attempts, the prefix, Apply, the line, the pause.
    QWidget* order[] = {Cancel_button,      OK_button,  retry_times_text, prefix_text,
                        Apply_Button,       cboLineSel, TimeAttemptText,  Lines_button,
                        AddressBook_button, cboCountry, chkDialLinks,     HistoryDaysText};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Cancel_button->setFocus();

    // Lines come and go, and learn their names, while the window is open.
    connect(&m_lines, &LineService::linesChanged, this, [this] {
        const int selected = selectedLine();
        listLines();
        if (selected >= 0 && selected < cboLineSel->count())
            cboLineSel->setCurrentIndex(selected);
    });
    connect(cboLineSel, &QComboBox::currentIndexChanged, this, &SetupForm::cboLineSel_Change);
    connect(cboLineSel, &QComboBox::editTextChanged, this, &SetupForm::cboLineSel_Change);
    connect(OK_button, &QPushButton::clicked, this, &SetupForm::OK_button_Click);
    connect(Cancel_button, &QPushButton::clicked, this, &SetupForm::Cancel_button_Click);
    connect(Apply_Button, &QPushButton::clicked, this, &SetupForm::Apply_Button_Click);
    connect(AddressBook_button, &QPushButton::clicked, this, [this] {
        if (m_openAddressBook)
            m_openAddressBook(this);
    });
    connect(Lines_button, &QPushButton::clicked, this, [this] {
        if (!m_openLines)
            return;
        m_openLines(this);
        listLines();
    });
}

void SetupForm::setAddressBookDialog(std::function<void(QWidget*)> open)
{
    m_openAddressBook = std::move(open);
    AddressBook_button->setVisible(bool(m_openAddressBook));
}

void SetupForm::setLinesDialog(std::function<void(QWidget*)> open)
{
    m_openLines = std::move(open);
    Lines_button->setVisible(bool(m_openLines));
}

void SetupForm::listLines()
{
    const QSignalBlocker quiet(cboLineSel);
    cboLineSel->clear();
    for (const LineService::ListedLine& line : m_lines.listLines())
        cboLineSel->addItem(line.line.caps.lineName);
    // A stored position outside the list selects nothing.
    cboLineSel->setCurrentIndex(m_settings.lineIndex < cboLineSel->count() ? m_settings.lineIndex
                                                                           : -1);
    cboLineSel_Change();
}

void SetupForm::Form_Load()
{
    listLines();
    retry_times_text->setText(StoredSettings::readText(m_registry, StoredSettings::kRetryTimes));
    prefix_text->setText(StoredSettings::readText(m_registry, StoredSettings::kPrefix));
    if (const auto line = StoredSettings::toInteger(
            StoredSettings::readText(m_registry, StoredSettings::kModemLine)))
        m_settings.lineIndex = *line;
    TimeAttemptText->setText(QString::number(m_settings.pause));
    const QString country =
        StoredSettings::readText(m_registry, StoredSettings::kCountry).toUpper();
    const int stored =
        cboCountry->findData(country.isEmpty() ? StoredSettings::defaultCountry() : country);
    cboCountry->setCurrentIndex(stored >= 0 ? stored : cboCountry->findData(m_settings.country));
    chkDialLinks->setChecked(StoredSettings::readText(m_registry, StoredSettings::kDialLinks) ==
                             QLatin1String("1"));
    HistoryDaysText->setText(QString::number(m_settings.historyDays));
}

int SetupForm::selectedLine() const
{
    if (cboLineSel->currentIndex() < 0)
        return -1;
    return cboLineSel->findText(cboLineSel->currentText(), Qt::MatchExactly);
}

void SetupForm::cboLineSel_Change()
{
    QPixmap picture(picIcon->size());
    picture.fill(Qt::transparent);
    bool painted = false;
    // The lines are listed anew: the box may show a list from before a line came or went.
    const QList<LineService::ListedLine> lines = m_lines.listLines();
    if (const int selected = selectedLine(); selected >= 0 && selected < lines.size()) {
        QPainter painter(&picture);
        lines.at(selected).provider->paintIcon(
            painter, QRect(kIconMargin, kIconMargin, kIconSize, kIconSize));
        painted = true;
    }
    if (painted)
        picIcon->setPixmap(picture);
    else
        picIcon->clear();
}

void SetupForm::Apply_Button_Click()
{
    const QString& key = StoredSettings::keyPath();
    m_registry.CreateRegistryKey(key);
    bool saved = m_registry.LastRegistryResult() == Registry::kSuccess;
    const std::pair<const QString&, QString> values[] = {
        {StoredSettings::kPrefix, prefix_text->text()},
        {StoredSettings::kRetryTimes, retry_times_text->text()},
        {StoredSettings::kModemLine, QString::number(selectedLine())},
        {StoredSettings::kTimeAttempt, TimeAttemptText->text()},
        {StoredSettings::kCountry, cboCountry->currentData().toString()},
        {StoredSettings::kDialLinks,
         chkDialLinks->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {StoredSettings::kHistoryDays, HistoryDaysText->text()}};
    for (const auto& [name, text] : values) {
        m_registry.WriteRegistryString(key, name, text);
        saved = saved && m_registry.LastRegistryResult() == Registry::kSuccess;
    }
    // Settings that silently did not reach the file would be lost at the next start.
    if (!saved) {
        m_prompt.messageBox(
            tr("The settings could not be saved to \"%1\".").arg(m_registry.store().path()),
            Prompt::Buttons::Ok, Prompt::Icon::Critical);
    }
    ReadFromRegistry(m_registry, m_settings);
}

void SetupForm::OK_button_Click()
{
    Apply_Button_Click();
    accept();
}

void SetupForm::Cancel_button_Click()
{
    reject();
}

} // namespace telvora
