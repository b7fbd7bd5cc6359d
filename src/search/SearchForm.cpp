#include "search/SearchForm.h"

#include "ui/ElidedLabel.h"
#include "ui/IdListBox.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

namespace telvora {

namespace {

template <typename Widget>
Widget* place(Widget* widget, const QString& name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

// The desktop's face, at the sizes of the main window's texts.
QFont sans(qreal points, bool bold)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

SearchForm::SearchForm(const PhoneBook& book, const BrowseLists& lists, QWidget* parent)
    : QDialog(parent), m_book(book), m_lists(lists), m_search(book)
{
    setObjectName(QStringLiteral("SearchForm"));
    setWindowTitle(tr("Search"));
    setFixedSize(twips(5730), twips(5670));
    setSizeGripEnabled(false);
    setFont(sans(8.25, false));

    Label1[0] = place(new QLabel(tr("Name Contains : "), this), QStringLiteral("Label1_0"), 180, 90,
                      1905, 330);
    TxtName = place(new QLineEdit(this), QStringLiteral("TxtName"), 2070, 45, 2580, 420);
    Label1[1] = place(new QLabel(tr("Number Contains : "), this), QStringLiteral("Label1_1"), 180,
                      540, 1905, 330);
    TxtNumber = place(new QLineEdit(this), QStringLiteral("TxtNumber"), 2070, 495, 2580, 420);
    SearchCMD = place(new QPushButton(tr("Searc&h"), this), QStringLiteral("SearchCMD"), 4725, 45,
                      825, 555);
    clearCmd =
        place(new QPushButton(tr("Clear"), this), QStringLiteral("clearCmd"), 4725, 630, 825, 285);
    NamesList = place(new IdListBox(IdListBox::Selection::Single, this),
                      QStringLiteral("NamesList"), 135, 945, 5460, 3765);
    ExitCMD =
        place(new QPushButton(tr("E&xit"), this), QStringLiteral("ExitCMD"), 2160, 4860, 1590, 735);

    // Results read like the main window's lists they lead to.
    NamesList->setFont(sans(9.75, false));
    for (QLabel* label : std::as_const(Label1)) {
        label->setFont(sans(9.75, true));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        ElidedLabel::shrinkToFit(*label, 7);
    }
    // The two captions stand one above the other: both take the smaller size either needs.
    qreal captionPoints = Label1[0]->font().pointSizeF();
    for (QLabel* label : std::as_const(Label1))
        captionPoints = qMin(captionPoints, label->font().pointSizeF());
    for (QLabel* label : std::as_const(Label1)) {
        QFont font = label->font();
        font.setPointSizeF(captionPoints);
        label->setFont(font);
    }
    Label1[0]->setBuddy(TxtName);
    Label1[1]->setBuddy(TxtNumber);
    TxtName->setAccessibleName(tr("Name Contains"));
    TxtNumber->setAccessibleName(tr("Number Contains"));
    NamesList->setAccessibleName(tr("Results"));
    for (QPushButton* button : {SearchCMD, clearCmd, ExitCMD})
        button->setAutoDefault(false);
    // Enter searches from anywhere in the window; Esc is Exit, through reject().
    SearchCMD->setDefault(true);

    setTabOrder(TxtName, TxtNumber);
    setTabOrder(TxtNumber, SearchCMD);
    setTabOrder(SearchCMD, NamesList);
    setTabOrder(NamesList, ExitCMD);
    setTabOrder(ExitCMD, clearCmd);
    TxtName->setFocus();

    connect(SearchCMD, &QPushButton::clicked, this, &SearchForm::SearchCMD_Click);
    connect(clearCmd, &QPushButton::clicked, this, &SearchForm::clearCmd_Click);
    connect(ExitCMD, &QPushButton::clicked, this, &SearchForm::ExitCMD_Click);
    connect(NamesList, &IdListBox::listDoubleClicked, this,
            [this] { NamesList_DblClick(NamesList->listIndex()); });
}

void SearchForm::showEvent(QShowEvent* event)
{
    // The order is read while the user types.
    m_search.prepare();
    QDialog::showEvent(event);
}

void SearchForm::SearchCMD_Click()
{
    // The first screenful shows at once; the rest is read as the list scrolls.
    NamesList->setCursor(m_search.start(TxtName->text(), TxtNumber->text()));
}

void SearchForm::clearCmd_Click()
{
    TxtNumber->clear();
    TxtName->clear();
    TxtName->setFocus();
}

void SearchForm::ExitCMD_Click()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::reject();
    deleteLater();
}

void SearchForm::reject()
{
    ExitCMD_Click();
}

SearchHits SearchForm::lineage(const SearchHit& hit) const
{
    SearchHits rows{hit};
    QSet<qint64> seen{hit.id};
    while (rows.first().parent > 0) {
        const auto above = m_search.row(rows.first().parent);
        // A parent that is gone, or rows filed in a circle, end the walk.
        if (!above || seen.contains(above->id))
            break;
        seen.insert(above->id);
        rows.prepend(*above);
    }
    return rows;
}

void SearchForm::NamesList_DblClick(int index)
{
    const auto hit = index >= 0 && index < NamesList->count()
                         ? m_search.row(NamesList->itemData(index))
                         : std::nullopt;
    if (hit) {
        // The main window shows top-level names and their sub-names only, so a row filed
        // deeper is brought up through the sub-name it is filed under.
        const SearchHits rows = lineage(*hit);
        const SearchHit& top = rows.first();
        int group = isRowId(top.group) ? m_lists.groups->indexOfId(top.group) : -1;
        // A group that is not listed (deleted, or none) leaves the name under "All Groups",
        // the first item that stands for no group of its own.
        if (group < 0)
            group = m_lists.groups->indexOfId(0);
        m_lists.groups->setListIndex(group);
        // A row whose id stands for no row cannot be told from another such row.
        if (isRowId(top.id))
            m_lists.names->setListIndex(m_lists.names->indexOfId(top.id));
        if (rows.size() > 1 && isRowId(rows.at(1).id))
            m_lists.subNames->setListIndex(m_lists.subNames->indexOfId(rows.at(1).id));
    }
    hide();
}

} // namespace telvora
