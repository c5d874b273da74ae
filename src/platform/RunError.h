#pragma once

#include <QString>
#include <QVariant>
#include <exception>
#include <string>

namespace kestrel {

// Error numbers the tool relies on; they keep the meanings engineers know
// from the desktop database engine and the run time the suite grew up on.
namespace err {
constexpr int kTypeMismatch = 13;
constexpr int kFileNotFound = 53;
constexpr int kDiskFull = 61;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kInvalidUseOfNull = 94;
constexpr int kReserved = 3000;
constexpr int kTableLockedExclusively = 3008;
constexpr int kUpdateWithoutEdit = 3020;
constexpr int kNoCurrentRecord = 3021;
constexpr int kDuplicateValue = 3022;
constexpr int kCouldNotFindFile = 3024;
constexpr int kReadOnly = 3027;
constexpr int kDiskOrNetwork = 3043;
constexpr int kCannotOpenFile = 3051;
constexpr int kTooFewParameters = 3061;
constexpr int kSyntaxError = 3075;
constexpr int kTableNotFound = 3078;
constexpr int kCouldNotLockTable = 3262;
constexpr int kItemNotFound = 3265;
constexpr int kFieldCannotBeNull = 3314;
constexpr int kUnrecognizedFormat = 3343;
constexpr int kOverflow = 6;
constexpr int kObjectNotSet = 91;
}  // namespace err

// A trapped run-time error: a number and a description, as the routines of
// the tool show them ("description [number]").
class RunError : public std::exception {
public:
    RunError(int number, QString description)
        : number_(number),
          description_(std::move(description)),
          what_(description_.toStdString()) {}

    int Number() const { return number_; }
    const QString& Description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    std::string what_;
};

// The error of a call on an object that is not there.
inline RunError ObjectNotSet() {
    return RunError(err::kObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
}

// A field's value as text; Null reads as the empty text, as concatenation
// treats it.
inline QString TextOf(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

}  // namespace kestrel
