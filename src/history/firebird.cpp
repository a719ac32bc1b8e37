#include "history/firebird.h"

#include "data/shared_library.h"

#include <firebird/Interface.h>

#include <cstring>
#include <utility>
#include <variant>
#include <vector>

namespace velmar::history::fb {

namespace {

using Firebird::FbException;
using Firebird::IAttachment;
using Firebird::IMessageMetadata;
using Firebird::IMetadataBuilder;
using Firebird::IResultSet;
using Firebird::IStatement;
using Firebird::IStatus;
using Firebird::ITransaction;
using Firebird::IXpbBuilder;
using Firebird::ThrowStatusWrapper;

struct Api {
    Firebird::IMaster* master = nullptr; // nullptr: the client library is missing
    Firebird::IUtil* util = nullptr;
    Firebird::IProvider* provider = nullptr;
    std::string error;
};

// The client library's entry points, looked up once; they live as long as the
// process. The library itself is opened on first use (see SharedLibrary), so
// commands that never touch the history do not load it.
Api& api() {
    static Api a = [] {
        static data::SharedLibrary lib{"libfbclient.so.2", "libfbclient.so", "fbclient.dll",
                                       "libfbclient.dylib"};
        Api x;
        decltype(&Firebird::fb_get_master_interface) getMaster = nullptr;
        if (!lib.load() || !lib.symbol("fb_get_master_interface", getMaster)) {
            x.error = lib.error().empty() ? "fb_get_master_interface がありません" : lib.error();
            return x;
        }
        x.master = getMaster();
        x.util = x.master->getUtilInterface();
        x.provider = x.master->getDispatcher();
        return x;
    }();
    return a;
}

// A status vector for one call sequence; errors surface as FbException.
class StatusScope final {
  public:
    StatusScope() : status_(api().master->getStatus()), wrapper_(status_) {}
    ~StatusScope() { status_->dispose(); }
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;
    ThrowStatusWrapper* get() { return &wrapper_; }

  private:
    IStatus* status_;
    ThrowStatusWrapper wrapper_;
};

// Cleanup calls that must not throw: a failure only means the handle is
// released without the server's cooperation.
class QuietStatus final {
  public:
    QuietStatus() : status_(api().master->getStatus()), wrapper_(status_) {}
    ~QuietStatus() { status_->dispose(); }
    QuietStatus(const QuietStatus&) = delete;
    QuietStatus& operator=(const QuietStatus&) = delete;
    Firebird::CheckStatusWrapper* get() { return &wrapper_; }
    bool failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }

  private:
    IStatus* status_;
    Firebird::CheckStatusWrapper wrapper_;
};

std::string errorText(const FbException& e) {
    char buffer[2048];
    api().util->formatStatus(buffer, sizeof buffer, e.getStatus());
    std::string text(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

Error fbError(const FbException& e) {
    return Error{errorText(e)};
}

template <class T> struct Releaser {
    void operator()(T* p) const {
        if (p)
            p->release();
    }
};
template <class T> using RefPtr = std::unique_ptr<T, Releaser<T>>;

struct XpbDisposer {
    void operator()(IXpbBuilder* p) const {
        if (p)
            p->dispose();
    }
};

std::string parameterBlock(const ConnectParams& params, bool creating) {
    StatusScope st;
    std::unique_ptr<IXpbBuilder, XpbDisposer> b(
        api().util->getXpbBuilder(st.get(), IXpbBuilder::DPB, nullptr, 0));
    // Paths are UTF-8 here; without this the file name would be read in the
    // connection's character set and a Japanese folder could not be opened.
    b->insertTag(st.get(), isc_dpb_utf8_filename);
    b->insertString(st.get(), isc_dpb_user_name, params.user.c_str());
    if (!params.password.empty())
        b->insertString(st.get(), isc_dpb_password, params.password.c_str());
    b->insertString(st.get(), isc_dpb_lc_ctype, params.charset.c_str());
    // A plain path must never fall through to a local server (the loopback
    // provider), and a server location never to the embedded engine.
    b->insertString(st.get(), isc_dpb_config,
                    isServerLocation(params.location) ? "Providers=Remote" : "Providers=Engine12");
    if (creating) {
        b->insertInt(st.get(), isc_dpb_sql_dialect, params.dialect);
        b->insertString(st.get(), isc_dpb_set_db_charset, params.charset.c_str());
    }
    const unsigned char* data = b->getBuffer(st.get());
    unsigned length = b->getBufferLength(st.get());
    return std::string(reinterpret_cast<const char*>(data), length);
}

bool isIntegerType(unsigned type) {
    return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64;
}
bool isTextType(unsigned type) {
    return type == SQL_TEXT || type == SQL_VARYING;
}

} // namespace

bool isServerLocation(std::string_view location) {
    auto colon = location.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    // "C:\..." is a drive letter, not a host.
    if (colon == 1)
        return false;
    // "host" or "host/port" before the colon; anything else is a local path.
    std::string_view head = location.substr(0, colon);
    if (head.find('\\') != std::string_view::npos)
        return false;
    auto slash = head.find('/');
    if (slash == std::string_view::npos)
        return true;
    std::string_view port = head.substr(slash + 1);
    return slash > 0 && !port.empty() && port.find('/') == std::string_view::npos;
}

// ---------------------------------------------------------------- Transaction

struct Transaction::Impl {
    ITransaction* tra = nullptr;
    ~Impl() {
        if (!tra)
            return;
        QuietStatus st;
        tra->rollback(st.get());
        if (st.failed())
            tra->release();
    }
};

Transaction::Transaction() : impl_(std::make_unique<Impl>()) {}
Transaction::~Transaction() = default;
Transaction::Transaction(Transaction&&) noexcept = default;
Transaction& Transaction::operator=(Transaction&&) noexcept = default;

bool Transaction::active() const {
    return impl_ && impl_->tra;
}

Status Transaction::commit() {
    if (!active())
        return Error{"transaction is not active"};
    try {
        StatusScope st;
        impl_->tra->commit(st.get()); // releases the handle on success
        impl_->tra = nullptr;
        return okStatus();
    } catch (const FbException& e) {
        return fbError(e);
    }
}

Status Transaction::rollback() {
    if (!active())
        return okStatus();
    try {
        StatusScope st;
        impl_->tra->rollback(st.get());
        impl_->tra = nullptr;
        return okStatus();
    } catch (const FbException& e) {
        impl_->tra->release();
        impl_->tra = nullptr;
        return fbError(e);
    }
}

// ---------------------------------------------------------------- Connection

struct Connection::Impl {
    IAttachment* att = nullptr;
    int dialect = 3;
    ~Impl() {
        if (!att)
            return;
        QuietStatus st;
        att->detach(st.get());
        if (st.failed())
            att->release();
    }
};

Connection::Connection(Key) : impl_(std::make_unique<Impl>()) {}
Connection::~Connection() = default;

Result<std::unique_ptr<Connection>> Connection::attach(const ConnectParams& params) {
    if (!api().master)
        return Error{api().error};
    try {
        std::string dpb = parameterBlock(params, false);
        StatusScope st;
        auto c = std::make_unique<Connection>(Key{});
        c->impl_->dialect = params.dialect;
        c->impl_->att = api().provider->attachDatabase(
            st.get(), params.location.c_str(), static_cast<unsigned>(dpb.size()),
            reinterpret_cast<const unsigned char*>(dpb.data()));
        return c;
    } catch (const FbException& e) {
        return fbError(e);
    }
}

Result<std::unique_ptr<Connection>> Connection::create(const ConnectParams& params) {
    if (!api().master)
        return Error{api().error};
    try {
        std::string dpb = parameterBlock(params, true);
        StatusScope st;
        auto c = std::make_unique<Connection>(Key{});
        c->impl_->dialect = params.dialect;
        c->impl_->att = api().provider->createDatabase(
            st.get(), params.location.c_str(), static_cast<unsigned>(dpb.size()),
            reinterpret_cast<const unsigned char*>(dpb.data()));
        return c;
    } catch (const FbException& e) {
        return fbError(e);
    }
}

Status Connection::detach() {
    if (!impl_->att)
        return okStatus();
    try {
        StatusScope st;
        impl_->att->detach(st.get()); // releases the handle on success
        impl_->att = nullptr;
        return okStatus();
    } catch (const FbException& e) {
        impl_->att->release();
        impl_->att = nullptr;
        return fbError(e);
    }
}

bool Connection::attached() const {
    return impl_->att != nullptr;
}

int Connection::dialect() const {
    return impl_->dialect;
}

Result<Transaction> Connection::begin(bool readOnly) {
    if (!impl_->att)
        return Error{"not attached"};
    // Readers see committed rows without waiting for writers.
    static const unsigned char readTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                            isc_tpb_rec_version};
    static const unsigned char writeTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency,
                                             isc_tpb_wait};
    try {
        StatusScope st;
        Transaction t;
        const unsigned char* tpb = readOnly ? readTpb : writeTpb;
        unsigned size = readOnly ? sizeof readTpb : sizeof writeTpb;
        t.impl_->tra = impl_->att->startTransaction(st.get(), size, tpb);
        return t;
    } catch (const FbException& e) {
        return fbError(e);
    }
}

Status Connection::executeImmediate(std::string_view sql) {
    auto t = begin();
    if (!t)
        return t.error();
    try {
        StatusScope st;
        impl_->att->execute(st.get(), t->impl_->tra, static_cast<unsigned>(sql.size()),
                            std::string(sql).c_str(), static_cast<unsigned>(impl_->dialect),
                            nullptr, nullptr, nullptr, nullptr);
    } catch (const FbException& e) {
        return fbError(e);
    }
    return t->commit();
}

// ---------------------------------------------------------------- Statement

namespace {

struct NullValue {};
using Value = std::variant<NullValue, int32_t, std::string>;

enum class ColumnKind { Int, Text };

struct Column {
    ColumnKind kind = ColumnKind::Text;
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

} // namespace

struct Statement::Impl {
    IStatement* stmt = nullptr;
    IResultSet* cursor = nullptr;
    IMessageMetadata* outMeta = nullptr;
    std::vector<unsigned char> outBuf;
    std::vector<Column> columns;
    std::vector<Value> params;
    std::vector<unsigned> paramCharSets;

    ~Impl() {
        closeCursor();
        if (stmt) {
            QuietStatus st;
            stmt->free(st.get());
            if (st.failed())
                stmt->release();
        }
        if (outMeta)
            outMeta->release();
    }

    void closeCursor() {
        if (!cursor)
            return;
        QuietStatus st;
        cursor->close(st.get());
        if (st.failed())
            cursor->release();
        cursor = nullptr;
    }

    // The input message as the bound values describe it.
    RefPtr<IMessageMetadata> inputMetadata(ThrowStatusWrapper* st) const {
        RefPtr<IMetadataBuilder> b(
            api().master->getMetadataBuilder(st, static_cast<unsigned>(params.size())));
        for (unsigned i = 0; i < params.size(); ++i) {
            const Value& v = params[i];
            if (std::holds_alternative<int32_t>(v)) {
                b->setType(st, i, SQL_LONG + 1);
                b->setLength(st, i, sizeof(int32_t));
                b->setScale(st, i, 0);
            } else {
                const auto* text = std::get_if<std::string>(&v);
                unsigned len = text ? static_cast<unsigned>(text->size()) : 0;
                b->setType(st, i, SQL_VARYING + 1);
                b->setLength(st, i, len == 0 ? 1 : len);
                b->setCharSet(st, i, paramCharSets[i]);
            }
        }
        return RefPtr<IMessageMetadata>(b->getMetadata(st));
    }

    std::vector<unsigned char> inputBuffer(ThrowStatusWrapper* st, IMessageMetadata* meta) const {
        std::vector<unsigned char> buf(meta->getMessageLength(st), 0);
        for (unsigned i = 0; i < params.size(); ++i) {
            const Value& v = params[i];
            int16_t nullFlag = std::holds_alternative<NullValue>(v) ? -1 : 0;
            std::memcpy(buf.data() + meta->getNullOffset(st, i), &nullFlag, sizeof nullFlag);
            unsigned offset = meta->getOffset(st, i);
            if (const auto* n = std::get_if<int32_t>(&v)) {
                std::memcpy(buf.data() + offset, n, sizeof *n);
            } else if (const auto* text = std::get_if<std::string>(&v)) {
                auto len = static_cast<uint16_t>(text->size());
                std::memcpy(buf.data() + offset, &len, sizeof len);
                std::memcpy(buf.data() + offset + sizeof len, text->data(), text->size());
            }
        }
        return buf;
    }
};

Statement::Statement() : impl_(std::make_unique<Impl>()) {}
Statement::~Statement() = default;
Statement::Statement(Statement&&) noexcept = default;
Statement& Statement::operator=(Statement&&) noexcept = default;

Result<Statement> Statement::prepare(Connection& connection, Transaction& transaction,
                                     std::string_view sql) {
    if (!connection.impl_->att || !transaction.active())
        return Error{"no connection or transaction"};
    try {
        StatusScope st;
        Statement s;
        Impl& m = *s.impl_;
        m.stmt = connection.impl_->att->prepare(
            st.get(), transaction.impl_->tra, static_cast<unsigned>(sql.size()),
            std::string(sql).c_str(), static_cast<unsigned>(connection.impl_->dialect),
            IStatement::PREPARE_PREFETCH_METADATA);

        RefPtr<IMessageMetadata> in(m.stmt->getInputMetadata(st.get()));
        unsigned inCount = in->getCount(st.get());
        m.params.assign(inCount, NullValue{});
        m.paramCharSets.assign(inCount, 0);
        for (unsigned i = 0; i < inCount; ++i) {
            if (isTextType(in->getType(st.get(), i) & ~1u))
                m.paramCharSets[i] = in->getCharSet(st.get(), i);
        }

        // Result columns come back as 64-bit integers or as texts, whatever
        // their declared type, so the reader needs only two accessors.
        RefPtr<IMessageMetadata> out(m.stmt->getOutputMetadata(st.get()));
        unsigned outCount = out->getCount(st.get());
        if (outCount > 0) {
            RefPtr<IMetadataBuilder> b(out->getBuilder(st.get()));
            m.columns.resize(outCount);
            for (unsigned i = 0; i < outCount; ++i) {
                unsigned type = out->getType(st.get(), i) & ~1u;
                int scale = out->getScale(st.get(), i);
                if (isIntegerType(type) && scale == 0) {
                    b->setType(st.get(), i, SQL_INT64 + 1);
                    b->setLength(st.get(), i, sizeof(int64_t));
                    m.columns[i].kind = ColumnKind::Int;
                } else if (isTextType(type)) {
                    b->setType(st.get(), i, SQL_VARYING + 1);
                    b->setLength(st.get(), i, out->getLength(st.get(), i));
                    m.columns[i].kind = ColumnKind::Text;
                } else {
                    b->setType(st.get(), i, SQL_VARYING + 1);
                    b->setLength(st.get(), i, 64);
                    b->setScale(st.get(), i, 0);
                    b->setCharSet(st.get(), i, 0);
                    m.columns[i].kind = ColumnKind::Text;
                }
            }
            m.outMeta = b->getMetadata(st.get());
            m.outBuf.assign(m.outMeta->getMessageLength(st.get()), 0);
            for (unsigned i = 0; i < outCount; ++i) {
                m.columns[i].offset = m.outMeta->getOffset(st.get(), i);
                m.columns[i].nullOffset = m.outMeta->getNullOffset(st.get(), i);
            }
        }
        return s;
    } catch (const FbException& e) {
        return fbError(e);
    }
}

unsigned Statement::parameterCount() const {
    return static_cast<unsigned>(impl_->params.size());
}
unsigned Statement::columnCount() const {
    return static_cast<unsigned>(impl_->columns.size());
}

void Statement::bindInt(unsigned index, int32_t value) {
    if (index < impl_->params.size())
        impl_->params[index] = value;
}

void Statement::bindText(unsigned index, std::string bytes) {
    if (index < impl_->params.size())
        impl_->params[index] = std::move(bytes);
}

void Statement::bindNull(unsigned index) {
    if (index < impl_->params.size())
        impl_->params[index] = NullValue{};
}

void Statement::clearBindings() {
    for (auto& p : impl_->params)
        p = NullValue{};
}

Status Statement::execute(Transaction& transaction) {
    if (!impl_->stmt || !transaction.active())
        return Error{"statement not prepared or no transaction"};
    try {
        StatusScope st;
        if (impl_->params.empty()) {
            impl_->stmt->execute(st.get(), transaction.impl_->tra, nullptr, nullptr, nullptr,
                                 nullptr);
        } else {
            auto meta = impl_->inputMetadata(st.get());
            auto buf = impl_->inputBuffer(st.get(), meta.get());
            impl_->stmt->execute(st.get(), transaction.impl_->tra, meta.get(), buf.data(), nullptr,
                                 nullptr);
        }
        return okStatus();
    } catch (const FbException& e) {
        return fbError(e);
    }
}

Status Statement::open(Transaction& transaction) {
    if (!impl_->stmt || !transaction.active())
        return Error{"statement not prepared or no transaction"};
    impl_->closeCursor();
    try {
        StatusScope st;
        RefPtr<IMessageMetadata> meta;
        std::vector<unsigned char> buf;
        if (!impl_->params.empty()) {
            meta = impl_->inputMetadata(st.get());
            buf = impl_->inputBuffer(st.get(), meta.get());
        }
        impl_->cursor =
            impl_->stmt->openCursor(st.get(), transaction.impl_->tra, meta.get(),
                                    buf.empty() ? nullptr : buf.data(), impl_->outMeta, 0);
        return okStatus();
    } catch (const FbException& e) {
        return fbError(e);
    }
}

Result<bool> Statement::fetch() {
    if (!impl_->cursor)
        return false;
    try {
        StatusScope st;
        int r = impl_->cursor->fetchNext(st.get(), impl_->outBuf.data());
        return r == IStatus::RESULT_OK;
    } catch (const FbException& e) {
        return fbError(e);
    }
}

void Statement::close() {
    impl_->closeCursor();
}

bool Statement::isNull(unsigned column) const {
    if (column >= impl_->columns.size())
        return true;
    int16_t flag = 0;
    std::memcpy(&flag, impl_->outBuf.data() + impl_->columns[column].nullOffset, sizeof flag);
    return flag != 0;
}

int64_t Statement::intAt(unsigned column) const {
    if (isNull(column))
        return 0;
    const Column& c = impl_->columns[column];
    if (c.kind == ColumnKind::Int) {
        int64_t v = 0;
        std::memcpy(&v, impl_->outBuf.data() + c.offset, sizeof v);
        return v;
    }
    std::string text = textAt(column);
    try {
        size_t used = 0;
        long long v = std::stoll(text, &used);
        return used == text.size() ? v : 0;
    } catch (...) {
        return 0;
    }
}

std::string Statement::textAt(unsigned column) const {
    if (isNull(column))
        return {};
    const Column& c = impl_->columns[column];
    if (c.kind == ColumnKind::Int)
        return std::to_string(intAt(column));
    uint16_t len = 0;
    std::memcpy(&len, impl_->outBuf.data() + c.offset, sizeof len);
    const auto* p = reinterpret_cast<const char*>(impl_->outBuf.data() + c.offset + sizeof len);
    return std::string(p, len);
}

} // namespace velmar::history::fb
