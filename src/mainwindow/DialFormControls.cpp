#include "mainwindow/DialFormControls.h"

#include "mainwindow/Icons.h"
#include "ui/ButtonBar.h"
#include "ui/CardTextEdit.h"
#include "ui/ElidedLabel.h"
#include "ui/IdListBox.h"
#include "ui/TabControl.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

namespace telvora {

QString CardField::text() const
{
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    if (auto* lines = qobject_cast<QPlainTextEdit*>(widget))
        return lines->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    return {};
}

void CardField::setText(const QString& value) const
{
    // A line field keeps at most kShownLimit characters and drops the rest without a word,
    // and any field lays out its whole text on each key press: a longer value is shown cut
    // short and is kept out of every save.
    const bool cut = value.size() > kShownLimit;
    const QString text = cut ? value.left(kShownLimit - 1) + QChar(0x2026) : value;
    widget->setProperty("cutShort", cut);
    widget->setToolTip(
        cut ? DialFormControls::tr("This field holds %1 characters, too many to show "
                                   "and edit here; it is shown cut short and kept "
                                   "as it is.")
                  .arg(value.size())
            : QString());
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* lines = qobject_cast<CardTextEdit*>(widget)) {
        lines->setCardText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setEditText(text);
    }
}

CardField DialFormControls::cardField(CardColumn column) const
{
    for (const CardField& field : card) {
        if (field.column == column)
            return field;
    }
    return {};
}

bool CardField::isCutShort() const
{
    return widget->property("cutShort").toBool();
}

void CardField::setReadOnly(bool wanted) const
{
    const bool readOnly = wanted || isCutShort();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        line->setReadOnly(readOnly);
    else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget))
        lines->setReadOnly(readOnly);
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setEnabled(!readOnly);
}

namespace {

// The tab strip is no taller than the highest control the pages place under it allows
// (the group label and the address and mail fields start at 405).
constexpr int kTabStripHeight = 405;

// The desktop's own face at the arrangement's sizes. Texts are laid out to fit faces as
// wide as DejaVu Sans; a label whose text still does not fit ends it in "…".
QFont boldSans(qreal points)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QFont plainSans(qreal points)
{
    QFont font = boldSans(points);
    font.setBold(false);
    return font;
}

QFont boldSerif(qreal points)
{
    QFont font(QStringLiteral("serif"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

template <typename Widget>
Widget* place(Widget* widget, const QString& name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top,
              int width, int height, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* result = place(new ElidedLabel(text, parent), name, left, top, width, height);
    result->setFont(boldSans(9.75));
    result->setAlignment(alignment);
    return result;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                    int width, int height, const QFont& font)
{
    auto* result = place(new QPushButton(caption, parent), name, left, top, width, height);
    result->setFont(font);
    ElidedLabel::shrinkToFit(*result, 6.5);
    return result;
}

QToolButton* pictureButton(QWidget* parent, const QString& name, const QIcon& icon,
                           const QString& tip, int left, int top, int width, int height)
{
    auto* result = place(new QToolButton(parent), name, left, top, width, height);
    result->setIcon(icon);
    result->setIconSize(result->size() - QSize(8, 8));
    result->setToolTip(tip);
    result->setAccessibleName(tip);
    return result;
}

IdListBox* list(QWidget* parent, const QString& name, IdListBox::Selection selection,
                const QString& tip, int left, int top, int width, int height, const QFont& font)
{
    auto* result = place(new IdListBox(selection, parent), name, left, top, width, height);
    result->setToolTip(tip);
    result->setAccessibleName(tip);
    result->setFont(font);
    return result;
}

QList<ButtonBar::Button> editButtons(bool withSubName, bool withCopyCut)
{
    QList<ButtonBar::Button> buttons{{DialFormControls::tr("Add New"), icons::add()}};
    if (withSubName)
        buttons << ButtonBar::Button{DialFormControls::tr("Add SUB Name"), icons::addSub()};
    buttons << ButtonBar::Button{DialFormControls::tr("Edit"), icons::edit()}
            << ButtonBar::Button{DialFormControls::tr("Delete"), icons::remove()};
    if (withCopyCut) {
        buttons << ButtonBar::Button{DialFormControls::tr("Copy"), icons::copy()}
                << ButtonBar::Button{DialFormControls::tr("Cut"), icons::cut()};
    }
    buttons << ButtonBar::Button{DialFormControls::tr("Paste"), icons::paste()};
    return buttons;
}

ButtonBar* bar(QWidget* parent, const QString& name, const QList<ButtonBar::Button>& buttons,
               int columns, int left, int top, int width, int height)
{
    auto* result = place(new ButtonBar(buttons, columns, parent), name, left, top, width, height);
    for (int i = 1; i <= result->buttonCount(); ++i)
        result->button(i)->setObjectName(name + QStringLiteral("_%1").arg(i));
    return result;
}

// Tab walks each list before its toolbar, down the left side, then into the tabs.
void orderLeftSide(const DialFormControls& c)
{
    QList<QWidget*> order;
    const std::pair<IdListBox*, ButtonBar*> lists[] = {
        {c.GroupsList, c.TbrGroups}, {c.NamesList, c.TbrNames}, {c.SubList, c.TbrSUB}};
    for (const auto& [list, toolbar] : lists) {
        order << list;
        for (int i = 1; i <= toolbar->buttonCount(); ++i)
            order << toolbar->button(i);
    }
    order << c.SSTab1->tabBar();
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

enum class CardTab
{
    General,
    Address,
    Internet
};

struct FieldPlace
{
    CardTab tab;
    int index;
    CardColumn column;
    bool multiLine;
    int left, top, width, height;
    const char* caption;
    int labelLeft, labelTop;
    int labelLines;
};

} // namespace

DialFormControls DialFormControls::build(QWidget* form)
{
    DialFormControls c;
    form->setObjectName(QStringLiteral("DialForm"));
    form->setWindowTitle(QStringLiteral("Telvora"));
    form->setFixedSize(twips(9300), twips(6660));

    const QFont listFont = plainSans(9.75);
    QFont groupFont = boldSans(9.75);
    const QFont buttonFont = boldSans(8.25);
    const QFont keyFont = boldSans(9.75);

    // Left: the three lists with their toolbars.
    c.GroupsList = list(form, QStringLiteral("GroupsList"), IdListBox::Selection::Single,
                        tr("Groups List"), 0, 0, 2490, 1950, groupFont);
    c.NamesList = list(form, QStringLiteral("NamesList"), IdListBox::Selection::Single, tr("List"),
                       0, 2025, 2490, 2430, listFont);
    // The sub-names list gives the top of its place to its heading (see below).
    c.SubList = list(form, QStringLiteral("SubList"), IdListBox::Selection::Single, tr("Sub List"),
                     0, 4755, 2490, 1455, listFont);
    c.TbrGroups =
        bar(form, QStringLiteral("TbrGroups"), editButtons(false, false), 1, 2520, 0, 330, 1320);
    c.TbrNames =
        bar(form, QStringLiteral("TbrNames"), editButtons(true, true), 1, 2520, 1980, 330, 2310);
    c.TbrSUB =
        bar(form, QStringLiteral("TbrSUB"), editButtons(false, true), 1, 2520, 4365, 330, 1980);
    // "List" stands in the one gap of the toolbars' column, above the names' buttons. The
    // sub-names' heading stood beside their list, under their toolbar, where no face could
    // show it; it has a row of its own over the list instead, so it reads whole in any
    // language. Both shrink, then end in "…", rather than spill over a neighbour.
    c.Label1[3] = label(form, QStringLiteral("Label1_3"), tr("List"), 2490, 1665, 390, 285);
    c.Label1[3]->setAlignment(Qt::AlignCenter);
    c.Label1[0] = label(form, QStringLiteral("Label1_0"), tr("Names"), 0, 4462, 2490, 285);
    for (QLabel* heading : std::as_const(c.Label1)) {
        heading->setFont(boldSerif(12));
        static_cast<ElidedLabel*>(heading)->setSmallestPointSize(6.5);
    }

    // Middle: the tab control with the number lists and the card.
    c.SSTab1 = place(new TabControl(twips(kTabStripHeight), form), QStringLiteral("SSTab1"), 2880,
                     0, 4770, 6270);
    QWidget* phones = c.SSTab1->addPage(tr("Phones"), QStringLiteral("TabPhones"));
    QWidget* general = c.SSTab1->addPage(tr("General"), QStringLiteral("TabGeneral"));
    QWidget* address = c.SSTab1->addPage(tr("Address"), QStringLiteral("TabAddress"));
    QWidget* internet = c.SSTab1->addPage(tr("Internet"), QStringLiteral("TabInternet"));
    c.SSTab1->setCurrentIndex(0);

    struct NumberRow
    {
        int label;
        const char* caption;
        int labelLeft, labelTop, labelWidth;
        const char* listName;
        const char* tip;
        int listTop, listHeight;
        const char* barName;
        int barTop;
        const char* dialName;
        int dialTop;
        IdListBox** list;
        ButtonBar** bar;
        QToolButton** dial;
    };
    const NumberRow rows[] = {
        {12, QT_TRANSLATE_NOOP("telvora::DialFormControls", "Business"), 135, 765, 975,
         "PhonesList", QT_TRANSLATE_NOOP("telvora::DialFormControls", "Business Numbers"), 675,
         1425, "TbrPhones", 1080, "DialPhonesCMD", 720, &c.PhonesList, &c.TbrPhones,
         &c.DialPhonesCMD},
        {13, QT_TRANSLATE_NOOP("telvora::DialFormControls", "Fax"), 420, 2160, 375, "FaxList",
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Fax Numbers"), 2160, 1035, "TbrFax", 2385,
         "DialFaxCMD", 2205, &c.FaxList, &c.TbrFax, &c.DialFaxCMD},
        {14, QT_TRANSLATE_NOOP("telvora::DialFormControls", "Mobile"), 300, 3330, 705, "MobileList",
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Mobile Numbers"), 3285, 1035, "TbrMobile",
         3600, "DialMobileCMD", 3330, &c.MobileList, &c.TbrMobile, &c.DialMobileCMD},
        {15, QT_TRANSLATE_NOOP("telvora::DialFormControls", "Home"), 330, 4365, 630, "HomeList",
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Home Numbers"), 4365, 840, "TbrHome", 4590,
         "DialHomeCMD", 4410, &c.HomeList, &c.TbrHome, &c.DialHomeCMD},
    };
    for (const NumberRow& row : rows) {
        // Each caption may use the room up to its list, for wider faces and translations.
        const int labelWidth = qMax(row.labelWidth, 1215 - 30 - row.labelLeft);
        c.Label4[row.label] = label(phones, QStringLiteral("Label4_%1").arg(row.label),
                                    tr(row.caption), row.labelLeft, row.labelTop, labelWidth, 240);
        *row.list = list(phones, QString::fromLatin1(row.listName), IdListBox::Selection::Extended,
                         tr(row.tip), 1215, row.listTop, 3075, row.listHeight, listFont);
        *row.bar = bar(phones, QString::fromLatin1(row.barName), editButtons(false, true), 3, 90,
                       row.barTop, 1095, 660);
        *row.dial = pictureButton(phones, QString::fromLatin1(row.dialName), icons::dial(),
                                  tr("Dial"), 4275, row.dialTop, 420, 465);
    }
    c.GroupLabel = label(phones, QStringLiteral("GroupLabel"), {}, 2070, 405, 1215, 240);
    c.GroupLabel->setFont(plainSans(9.75));
    c.LastCallLabel = label(phones, QStringLiteral("LastCallLabel"), {}, 135, 5310, 4455, 240);
    static_cast<ElidedLabel*>(c.LastCallLabel)->setSmallestPointSize(7);

    c.DialCmdTapi =
        button(phones, QStringLiteral("DialCmdTapi"), {}, 3150, 2100, 600, 330, buttonFont);
    c.DialCmdTapi->hide();

    // The card, in the window's control order.
    const FieldPlace fields[] = {
        {CardTab::General, 100, CardColumn::Company, false, 1575, 540, 3120, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Company"), 345, 540, 1},
        {CardTab::General, -1, CardColumn::Gender, false, 1575, 945, 1095, 315,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Gender"), 450, 990, 1},
        {CardTab::General, 1, CardColumn::FullName, false, 1575, 1575, 3120, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Full Name / Contact Name"), 30, 1530, 2},
        {CardTab::General, 5, CardColumn::JobTitle, false, 1575, 2025, 3120, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Job Title"), 375, 2115, 1},
        {CardTab::General, 4, CardColumn::Department, false, 1575, 2520, 3120, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Department"), 225, 2565, 1},
        {CardTab::General, 6, CardColumn::Extention, false, 1575, 2925, 3120, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Extention"), 330, 2970, 1},
        {CardTab::General, 7, CardColumn::CallBack, false, 1575, 3375, 3120, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Call Back No"), 150, 3420, 1},
        {CardTab::General, 0, CardColumn::Notes, true, 1560, 3735, 3120, 2355,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Notes"), 540, 4545, 1},
        {CardTab::Address, 2, CardColumn::AddressBusiness, true, 1125, 405, 3570, 960,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Business Address"), 90, 585, 2},
        {CardTab::Address, 3, CardColumn::AddressHome, true, 1125, 1440, 3570, 960,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Home Address"), 90, 1575, 2},
        {CardTab::Address, 8, CardColumn::ZipCode, false, 1125, 2430, 1410, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Zip Code"), 90, 2475, 1},
        {CardTab::Address, 9, CardColumn::POBOX, false, 1125, 2835, 1410, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "POBox"), 210, 2880, 1},
        {CardTab::Address, 10, CardColumn::State, false, 1125, 3195, 2040, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "State"), 292, 3240, 1},
        {CardTab::Address, 11, CardColumn::Country, false, 1125, 3555, 3030, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Country"), 172, 3600, 1},
        {CardTab::Internet, 12, CardColumn::Email, false, 825, 450, 3390, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "Email:"), 90, 495, 1},
        {CardTab::Internet, 13, CardColumn::HomePage, false, 825, 810, 3390, 330,
         QT_TRANSLATE_NOOP("telvora::DialFormControls", "WEB:"), 90, 855, 1},
    };
    int labelNumber = 0;
    for (const FieldPlace& entry : fields) {
        QWidget* page = entry.tab == CardTab::General   ? general
                        : entry.tab == CardTab::Address ? address
                                                        : internet;
        QWidget* widget = nullptr;
        if (entry.index == -1) {
            auto* combo = new QComboBox(page);
            combo->setEditable(true);
            combo->addItems({QStringLiteral("Mr."), QStringLiteral("Mrs."), QStringLiteral("Ms.")});
            combo->setEditText({});
            c.Combo1 = combo;
            widget = place(combo, QStringLiteral("Combo1"), entry.left, entry.top, entry.width,
                           entry.height);
        } else {
            QWidget* editor = entry.multiLine ? static_cast<QWidget*>(new CardTextEdit(page))
                                              : static_cast<QWidget*>(new QLineEdit(page));
            widget = place(editor, QStringLiteral("Text1_%1").arg(entry.index), entry.left,
                           entry.top, entry.width, entry.height);
            c.Text1[entry.index] = widget;
        }
        widget->setProperty("tag", schema::columnName(entry.column));
        const QString caption = tr(entry.caption);
        widget->setAccessibleName(caption);
        c.card << CardField{widget, entry.column};

        // A one-line caption stands right-aligned against its field and may use the room to
        // the page's edge; a two-line one keeps its own place.
        const int labelLeft = entry.labelLines == 2 ? entry.labelLeft : qMin(entry.labelLeft, 30);
        const int labelWidth = entry.left - labelLeft - 60;
        QLabel* captionLabel =
            label(page, QStringLiteral("CardLabel_%1").arg(labelNumber++), caption, labelLeft,
                  entry.labelTop, labelWidth, entry.labelLines == 2 ? 480 : 240,
                  Qt::AlignRight | Qt::AlignVCenter);
        if (entry.labelLines == 2) {
            captionLabel->setWordWrap(true);
            captionLabel->setFont(boldSans(8.25));
        } else {
            // Translated captions may be longer than the room beside their field.
            static_cast<ElidedLabel*>(captionLabel)->setSmallestPointSize(7);
        }
        captionLabel->setBuddy(widget);
    }
    // The record's id travels with the card but is never shown.
    auto* idField = place(new QLineEdit(phones), QStringLiteral("Text1_14"), 4455, 2970, 465, 330);
    idField->setProperty("tag", schema::columnName(CardColumn::Id));
    idField->setReadOnly(true);
    idField->hide();
    c.Text1[14] = idField;
    c.card << CardField{idField, CardColumn::Id};

    c.GoMail = pictureButton(internet, QStringLiteral("GoMail"), icons::mail(), tr("Email"), 4230,
                             450, 315, 345);
    c.GOWWW = pictureButton(internet, QStringLiteral("GOWWW"), icons::web(), tr("Goto WEB Site"),
                            4230, 810, 315, 345);

    // Right: the quick-dial box and the command buttons.
    c.Picture2 = place(new QFrame(form), QStringLiteral("Picture2"), 7695, 45, 1635, 3525);
    // The box's caption stands over its top edge, so it belongs to the window, not the box,
    // which would cut its top off.
    c.Label2 =
        label(form, QStringLiteral("Label2"), tr("Quick Dial"), 7695 + 180, 0, 1635 - 180, 240);
    c.tbrSpeed = bar(c.Picture2, QStringLiteral("tbrSpeed"),
                     {{tr("Add New Speed Dial"), icons::speedAdd()},
                      {tr("Edit Speed Dial"), icons::speedEdit()},
                      {tr("Delete Speed Dial"), icons::speedDelete()},
                      {tr("Speed Dials List"), icons::speedList()},
                      {tr("Clear Number"), icons::clear()}},
                     5, 0, 180, 1635, 270);
    c.DialCombo = place(new QComboBox(c.Picture2), QStringLiteral("DialCombo"), 45, 450, 1545, 315);
    c.DialCombo->setEditable(true);
    c.DialCombo->setInsertPolicy(QComboBox::NoInsert);
    c.DialCombo->setAccessibleName(tr("Number to dial"));
    const int keyLefts[] = {0, 585, 1125};
    const int keyTops[] = {810, 1260, 1710, 2160};
    for (int digit = 1; digit <= 9; ++digit) {
        c.CmdNum[digit] =
            button(c.Picture2, QStringLiteral("CmdNum_%1").arg(digit), QString::number(digit),
                   keyLefts[(digit - 1) % 3], keyTops[(digit - 1) / 3], 465, 420, keyFont);
    }
    c.CmdAstric = button(c.Picture2, QStringLiteral("CmdAstric"), QStringLiteral("*"), 0, 2160, 465,
                         420, keyFont);
    c.CmdNum[0] = button(c.Picture2, QStringLiteral("CmdNum_0"), QStringLiteral("0"), 585, 2160,
                         465, 420, keyFont);
    c.CmdHash = button(c.Picture2, QStringLiteral("CmdHash"), QStringLiteral("#"), 1125, 2160, 465,
                       420, keyFont);
    c.quickDial = button(c.Picture2, QStringLiteral("quickDial"), tr("&Dial"), 0, 2610, 1590, 870,
                         buttonFont);
    c.quickDial->setToolTip(tr("Quick Dial"));

    c.HangCMD =
        button(form, QStringLiteral("HangCMD"), tr("Hang &UP"), 7695, 3600, 1590, 825, buttonFont);
    c.HangCMD->setIcon(icons::hangUp());
    c.HangCMD->setIconSize(QSize(24, 24));
    ElidedLabel::shrinkToFit(*c.HangCMD, 7);
    c.HangCMD->setToolTip(tr("Hang The Phone Call"));
    c.SearchCMD =
        button(form, QStringLiteral("SearchCMD"), tr("Sea&rch"), 7695, 4455, 780, 690, buttonFont);
    c.SetupCMD =
        button(form, QStringLiteral("SetupCMD"), tr("&Setup"), 8505, 4455, 780, 690, buttonFont);
    c.AboutCMD =
        button(form, QStringLiteral("AboutCMD"), tr("A&bout"), 7695, 5175, 780, 735, buttonFont);
    c.ExitCMD =
        button(form, QStringLiteral("ExitCMD"), tr("E&xit"), 8505, 5175, 780, 735, buttonFont);
    // Help gives half its row to the call history.
    c.HelpCmd =
        button(form, QStringLiteral("HelpCmd"), tr("&Help"), 7695, 5940, 780, 330, buttonFont);
    c.HistoryCMD = button(form, QStringLiteral("HistoryCMD"), tr("Histor&y"), 8505, 5940, 780, 330,
                          buttonFont);
    ElidedLabel::shrinkToFit(*c.HistoryCMD, 6);
    c.HistoryCMD->setToolTip(tr("Call History"));

    // Bottom: four status panels.
    c.StatusBar1 = place(new QStatusBar(form), QStringLiteral("StatusBar1"), 0, 6285, 9300, 375);
    c.StatusBar1->setSizeGripEnabled(false);
    const int panelWidths[] = {60, 110, 280, 150};
    for (int panel = 1; panel <= 4; ++panel) {
        auto* text = new ElidedLabel({}, c.StatusBar1);
        text->setObjectName(QStringLiteral("StatusPanel_%1").arg(panel));
        text->setFrameShape(QFrame::Panel);
        text->setFrameShadow(QFrame::Sunken);
        text->setMinimumWidth(panelWidths[panel - 1]);
        c.StatusBar1->addPermanentWidget(text, panel == 3 ? 1 : 0);
        c.panels[panel] = text;
    }

    orderLeftSide(c);

    return c;
}

} // namespace telvora
