#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable for one scope and puts the old value back;
// nullopt unsets it for the scope.
class EnvGuard {
public:
    EnvGuard(const char* pName, std::optional<std::string> value) : m_strName(pName)
    {
        if (const char* pOld = std::getenv(pName))
            m_old = pOld;
        Apply(value);
    }
    ~EnvGuard() { Apply(m_old); }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    void Apply(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(m_strName.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_strName.c_str());
    }
    std::string m_strName;
    std::optional<std::string> m_old;
};
