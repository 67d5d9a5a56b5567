#include "service/run_record_file.h"

#include "platform/file_io.h"

std::string RunRecordFile::besideSettings(const std::string& settingsFile)
{
    const auto separator = settingsFile.find_last_of("/\\");
    const std::string folder = separator == std::string::npos ? std::string() : settingsFile.substr(0, separator + 1);
    return folder + RunRecords::kFileName;
}

RunRecordStore::Loaded RunRecordFile::load()
{
    if (!m_files.isRegularFile(m_path))
        return {};
    std::string bytes;
    try {
        bytes = m_files.readAll(m_path);
    } catch (const FileIo::Error& error) {
        return {std::nullopt, "无法读取运行记录“" + m_path + "”:" + error.what() + ",本次启动不补做错过的备份。"};
    }
    // An empty file is one the installer made: no record yet.
    if (bytes.empty())
        return {};
    auto records = RunRecords::decode(bytes);
    if (!records)
        return {std::nullopt, "运行记录“" + m_path + "”不完整或已损坏,本次启动不补做错过的备份。"};
    return {std::move(records), std::nullopt};
}

void RunRecordFile::save(const RunRecords& records)
{
    try {
        m_files.overwrite(m_path, records.encode());
    } catch (const FileIo::Error& error) {
        throw FileIo::Error("“" + m_path + "”" + error.what());
    }
}
