#pragma once

#include <QByteArray>
#include <QString>

// One item of a folder tree, by its path relative to the tree's top. A folder is listed before
// anything inside it, and everything inside it comes before the next item beside it, so that a
// writer makes each item in a folder it has just made.
struct FolderEntry {
    QString path; // components joined by "/", each as LocalPath text
    bool isFolder = false;
    QByteArray bytes; // a file's content; empty for a folder
    // Kept from the item it was read from, so that a script stays one and a secret stays closed.
    bool executable = false; // a file anyone may run
    bool ownerOnly = false;  // nobody but its owner may read it
};
