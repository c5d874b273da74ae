#pragma once

#include <QString>
#include <functional>

class QStandardItem;

namespace kestrel {

class CatalogueTreeModel;
class Database;
class ValueListModel;

// The engineer's edits in the catalogue tree: selecting nodes, choosing
// options (with the additional-data dialog where one needs it), refreshing
// option images on expansion, marking written values, restoring originals.
// Works on the tree and value-list models; the window supplies the rest
// through the hooks below.
class TreeEditor {
public:
    struct Hooks {
        // Shows the selected item and value in the window's two labels.
        std::function<void(const QString& cmd, const QString& value)> setLabels;
        // Runs the additional-data dialog for a rule query and a starting
        // value; returns the window's Tag afterwards ("ok" when accepted).
        std::function<QString(const QString& ruleQuery, const QString& startValue)> runDialog;
        // Whether source data is loaded, and the working database.
        std::function<bool()> noSourceData;
        std::function<Database*()> workDb;
    };

    TreeEditor(CatalogueTreeModel& tree, ValueListModel& values, Hooks hooks);

    void NodeClick(QStandardItem* node);
    void DoubleClick(QStandardItem* selected);
    void Expand(QStandardItem* title);
    void RefreshOptionMarks(QStandardItem* title, const QString& reference);
    void MarkWrittenValue(const QString& cmd, const QString& value);
    // The Restore menu item: the selected node's item returns to its
    // original value, whatever node was clicked last.
    void Restore(QStandardItem* selected);
    // The list's right-click: select the item (the title node to select and
    // expand is returned; nullptr when the item has no option in the tree).
    QStandardItem* ShowItemInTree(const QString& cmd, const QString& data);

    // True when the item is among the source trunk's stored items.
    bool Search_CMD(const QString& cmd) const;

    const QString& CurrentCMD() const { return currentCmd_; }
    void SetCurrentCMD(const QString& cmd) { currentCmd_ = cmd; }
    const QString& SelectedValue() const { return selectedValue_; }
    // The dialog's answer (the window's public SecondData).
    void SetSecondData(const QString& value) { selectedValue_ = value; }

    // The rule query the dialog is called with.
    static QString DialogRuleQuery(int dialogId);

private:
    void ShowLabels(const QString& cmd, const QString& value);
    void ItemNotInSource();

    CatalogueTreeModel& tree_;
    ValueListModel& values_;
    Hooks hooks_;
    QString currentCmd_;
    QString selectedValue_;
};

}  // namespace kestrel
