#pragma once
#include <exception>
#include <string>

// What every failing operation throws: its own copy of the report text, so the
// text stays readable after the reporting object is gone.
class CReportException : public std::exception {
public:
    explicit CReportException(const char* text) : m_text(text ? text : "") {}
    const char* what() const noexcept override { return m_text.c_str(); }

private:
    std::string m_text;
};
