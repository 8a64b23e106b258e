#pragma once

#include <QString>
#include <exception>

namespace Quillfen {

// A failure of one statement, carrying the human-readable description that
// the application error report shows. Thrown by platform services and logic
// alike; reporting procedures catch it and go on.
class Failure : public std::exception
{
public:
    explicit Failure(QString description) : m_description(std::move(description)) {}

    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return "Quillfen::Failure"; }

private:
    QString m_description;
};

// The description of whatever a statement threw.
QString describeCurrentException();

} // namespace Quillfen
