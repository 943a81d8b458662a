#pragma once
// Errors of the table engine. Every failure of the engine is a DbError whose text says what
// went wrong and where (file, record number, byte offset where one applies).
#include <stdexcept>
#include <string>

namespace dbase {

class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when an exclusive open (or an operation needing exclusive use) meets a file that
// another process holds. A DbError, so callers that only care about "failed" catch DbError.
class LockError : public DbError {
public:
    using DbError::DbError;
};

// Raised when the system refuses a read, write, flush or size change of a file (a full disk, an
// I/O error, a file cut by another program). A DbError; callers that undo half-done work catch
// it apart from the DbErrors that report damaged contents.
class IoError : public DbError {
public:
    using DbError::DbError;
};

} // namespace dbase
