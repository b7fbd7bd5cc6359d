#pragma once

#include <QObject>

class EditingTest : public QObject
{
    Q_OBJECT

private slots:
    void nameClipboardTextRoundTrips_data();
    void nameClipboardTextRoundTrips();

    void addRenameDeleteGroups();
    void pasteIntoGroup();
    void addAndRenameNames();
    void deletingANameTakesItsWholeBranch();
    void deleteAskedAndAnsweredNoChangesNothing();
    void aNameCannotBeFiledUnderItself();
    void copyAndPasteNamesMoveThem();
    void pasteAsSubNameFromOtherText();
    void moveToGroupUsesTheGroupOfTheItem();
    void numberCommandsOnEveryList();
    void deletingANumberDeletesOnlyThatRecord();
    void numbersTravelBetweenListsByClipboard();
    void numberPasteRefusesUnusableText();
    void refusedChangesAreToldAndAllOrNothing();
    void menusAndToolbars();
    void commandsRefuseRowsWithUnusableIds();
    void importAndExportThroughMenusAndDrops();
};
