#pragma once

#include <QList>
#include <QString>

// One topic file of the topic folder as the topic menu lists it.
struct TopicEntry
{
    QString title; // the document's title as stored, untrimmed
    QString path; // full path: the listed folder as given, then the file name
    QString sortKey; // the file name without folder, in lower case
    QString version; // the document's version text

    bool operator==(const TopicEntry&) const = default;
};

// The topic files directly in folder (a path ending with a separator, or not): every "*.zep"
// (any case) that reads as a topic file, unsorted. Subfolders and files that are not topic
// files are left out without a word; a missing folder gives an empty list.
QList<TopicEntry> scanTopicFolder(const QString& folder);

// Sorts by sortKey, compared locale-aware (German) and without regard to case, with the topic
// menu's selection sort: each position takes the strictly smallest later entry, so the order of
// equal keys depends on the swaps as it always did.
void sortTopicList(QList<TopicEntry>& list);

// The topic menu's list of folder: scanned and sorted.
QList<TopicEntry> readTopicList(const QString& folder);

// The caption of the menu item of entry index: "&N:  title" for the first nine (so the keys 1 to
// 9 choose them), "N:  title" after that; a blank title gives the file name.
QString topicItemCaption(int index, const TopicEntry& entry);

// The entry whose item starts a new menu column in a list of count entries; -1 for none.
int topicColumnBreak(int count);
