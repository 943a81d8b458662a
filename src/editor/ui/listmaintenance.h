#pragma once
// The main window's "List &Maintenance" commands: the list editor for one of the 17 data lists,
// and saving the current lists as the defaults or loading the defaults into the open catalogue.
class Session;
class QWidget;

// Opens the list editor (ListEditorDialog) modally for list 1..17.
void editDataList(Session& session, int listNumber, QWidget* parent);

// "Sa&ve As Defaults": asks, then writes the current lists to the default list files.
void saveListsAsDefaults(Session& session, QWidget* parent);

// "Lo&ad In Defaults": asks, then loads the default list files into the current lists.
void loadDefaultLists(Session& session, QWidget* parent);
