#pragma once

#include <filesystem>
#include <string>

// Makes another folder the working directory for one scope and goes back
// afterwards.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& strPath) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(strPath);
    }
    ~WorkingDirectory() { std::filesystem::current_path(m_old); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path m_old;
};
