#pragma once
// Test fixtures: a private data folder for the program and a small licence and zip database
// covering the look-up and display cases (clubs, PO boxes, nine-digit zips, duplicate calls,
// previous calls, amateur and GMRS licences linked by registration number, Canadian rows).

#include <QString>
#include <QTemporaryDir>

// Points HOME and the XDG folders into dir and makes the shipped files the current directory.
void useTemporaryHome(const QTemporaryDir& dir);
// The data folder the program will use under that home (ends with '/').
QString programDataPath();
// Creates FCCdata.db and postal.db in the folder and fills them with the fixture rows.
void writeFixtureDatabases(const QString& appDataPath);
