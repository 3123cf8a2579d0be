-- Tessaline database for the embedded SQLite backend (demo and tests).
-- Text compares like SQL Server's: trailing blanks do not count (collate rtrim).
-- Dates are ISO text: date 'yyyy-MM-dd', datetime 'yyyy-MM-dd HH:mm:ss'.

create table 员工档案 (
    ID integer primary key autoincrement,
    工号 text collate rtrim,
    姓名 text collate rtrim,
    帐号密码 text collate rtrim,
    离职日期 date
);
create table 岗位员工new (
    ID integer primary key autoincrement,
    员工代号 text collate rtrim,
    岗位代号 text collate rtrim,
    主要岗位 boolean,
    离岗日期 date
);
create table 岗位信息new (
    ID integer primary key autoincrement,
    岗位代号 text collate rtrim,
    岗位名称 text collate rtrim,
    职能部门代号 text collate rtrim,
    岗位类别代号 text collate rtrim,
    工号 text collate rtrim,
    起始日期 date,
    终止日期 date
);
create table 岗位类别 (
    岗位类别编号 text collate rtrim,
    岗位类别名称 text collate rtrim
);
create table 职能部门new (
    ID integer primary key autoincrement,
    职能部门编号 text collate rtrim,
    职能部门名称 text collate rtrim,
    职能部门类别代号 text collate rtrim,
    终止日期 date,
    序号 integer,
    显示协调位置 integer
);
create table 职能部门类别 (
    部门类别代号 text collate rtrim,
    部门类别名称 text collate rtrim,
    终止日期 date
);
create table 上级部门new (
    ID integer primary key autoincrement,
    职能部门编号 text collate rtrim,
    上级部门编号 text collate rtrim,
    起始日期 date,
    终止日期 date
);
create table 岗位权限设置 (
    ID integer primary key autoincrement,
    组代号 text collate rtrim,
    岗位代号 text collate rtrim,
    授权 boolean
);
create table GroupPrivilege (
    ID integer primary key autoincrement,
    GroupID text collate rtrim,
    FormName text collate rtrim,
    Popedom integer
);
create table 设置管理处 (
    GYD_DH text collate rtrim,
    GYD_Name text collate rtrim,
    对应部门代号 text collate rtrim,
    商用物业 boolean
);
create table SetupSFXM (
    ID integer primary key autoincrement,
    DH text collate rtrim,
    XM text collate rtrim,
    收费类别 text collate rtrim,
    终止日期 date
);
create table 收款方式列表 (
    收款方式 text collate rtrim
);
create table 封帐 (
    ID integer primary key autoincrement,
    职能部门代号 text collate rtrim,
    封帐日期 date
);
create table 票据类型 (
    票据类型代号 text collate rtrim,
    票据类型 text collate rtrim,
    份数 integer,
    面值 numeric(18,2),
    税控 boolean
);
create table 票据税控机 (
    税控机编号 text collate rtrim,
    使用单位 text collate rtrim,
    启用日期 date,
    终止日期 date
);
create table 票据入库单 (
    ID integer primary key autoincrement,
    入库单编号 text collate rtrim,
    票据类型编号 text collate rtrim,
    份数 integer,
    起始编号 text collate rtrim,
    终止编号 text collate rtrim,
    入库时间 date,
    备注 text collate rtrim,
    税控机编号 text collate rtrim,
    状态 text collate rtrim,
    税控 boolean,
    使用 boolean not null default 0
);
create table 票据 (
    ID integer primary key autoincrement,
    票据编号 text collate rtrim,
    入库单编号 text collate rtrim,
    金额 numeric(18,2),
    开票部门编号 text collate rtrim,
    开票日期 date,
    付款人 text collate rtrim,
    预开 boolean not null default 0,
    收款日期 date,
    开票人 text collate rtrim,
    收款人 text collate rtrim,
    收款方式 text collate rtrim,
    作废日期 date,
    作废原因 text collate rtrim,
    作废人 text collate rtrim,
    核销日期 date,
    核销人 text collate rtrim,
    管理处 text collate rtrim,
    收款凭证编号 text collate rtrim,
    退票日期 date,
    退票凭证编号 text collate rtrim,
    被换票入库单编号 text collate rtrim,
    被换票票据编号 text collate rtrim,
    内换日期 date,
    内换票据编号 text collate rtrim,
    内换凭证编号 text collate rtrim,
    对应调换票据入库单 text collate rtrim,
    对应调换票据编号 text collate rtrim,
    退款日期 date,
    退款原因 text collate rtrim,
    合同编号 text collate rtrim,
    税额凭证编号 text collate rtrim
);
create table 票据开票数据 (
    ID integer primary key autoincrement,
    票据id integer,
    票据编号 text collate rtrim,
    入库单编号 text collate rtrim,
    品名 text collate rtrim,
    规格 text collate rtrim,
    项目 text collate rtrim,
    数量 numeric(18,2),
    单价 numeric(18,2),
    单位 text collate rtrim,
    金额 numeric(18,2),
    摘要 text collate rtrim,
    科目代号 text collate rtrim,
    收费项目代号 text collate rtrim,
    非日常 boolean,
    收款凭证编号 text collate rtrim,
    税额 numeric(18,2),
    税率 numeric(18,2),
    应税科目 text collate rtrim,
    不含税单价 numeric(18,2),
    不含税金额 numeric(18,2)
);
create table 票据领用记录 (
    ID integer primary key autoincrement,
    票据领用记录编号 text collate rtrim,
    领用日期 date,
    领用部门代号 text collate rtrim
);
create table 票据领用清单 (
    ID integer primary key autoincrement,
    领用记录编号 text collate rtrim,
    入库单编号 text collate rtrim,
    核销日期 date,
    归还日期 date
);
create table WYZJ (
    ID integer primary key autoincrement,
    发票号码 text collate rtrim,
    票据入库单编号 text collate rtrim,
    ZJ_SKRQ date
);
create table 票据核销记录 (
    ID integer primary key autoincrement,
    核销记录编号 text collate rtrim,
    核销部门代号 text collate rtrim,
    核销日期 date,
    核销人 text collate rtrim,
    核销数量 integer,
    已开数量 integer,
    作废数量 integer,
    未用数 integer,
    预开数量 integer,
    开票金额 numeric(18,2),
    预开金额 numeric(18,2),
    流水号 text collate rtrim,
    字 text collate rtrim
);
create table 票据核销 (
    ID integer primary key autoincrement,
    核销记录编号 text collate rtrim,
    入库单编号 text collate rtrim,
    核销份数 integer,
    开票份数 integer,
    作废份数 integer,
    未用份数 integer,
    开票金额合计 numeric(18,2),
    预开份数 integer,
    预开金额合计 numeric(18,2)
);
create table 作废恢复流程 (
    ID integer primary key autoincrement,
    流程代号 text collate rtrim,
    流程名称 text collate rtrim,
    作废恢复类别 text collate rtrim,
    部门类别 text collate rtrim,
    设置日期 date,
    终止日期 date
);
create table 作废恢复流程设置 (
    ID integer primary key autoincrement,
    流程代号 text collate rtrim,
    部门编号 text collate rtrim,
    岗位编号 text collate rtrim,
    顺序 integer,
    备注 text collate rtrim
);
create table 作废恢复审批单 (
    ID integer primary key autoincrement,
    编号 text collate rtrim,
    流水 text collate rtrim,
    部门 text collate rtrim,
    部门编号 text collate rtrim,
    提交日期 datetime,
    审核状态 text collate rtrim,
    审核日期 datetime,
    审核是否通过 boolean,
    调整事由 text collate rtrim,
    审批人 text collate rtrim,
    类型名称 text collate rtrim,
    票据金额 numeric(18,2),
    收款方式 text collate rtrim,
    票据ID integer,
    票据编号 text collate rtrim,
    票据入库单编号 text collate rtrim,
    票据作废日期 date
);
create table 作废恢复审批流程 (
    ID integer primary key autoincrement,
    编号 text collate rtrim,
    部门 text collate rtrim,
    岗位 text collate rtrim,
    环节序号 integer
);
create table 作废恢复审批 (
    ID integer primary key autoincrement,
    编号 text collate rtrim,
    部门 text collate rtrim,
    岗位 text collate rtrim,
    环节序号 integer,
    审批人 text collate rtrim,
    审批意见 text collate rtrim,
    审批日期 datetime,
    是否同意 boolean
);
create table 票据作废恢复明细 (
    ID integer primary key autoincrement,
    编号 text collate rtrim,
    票据入库单编号 text collate rtrim,
    票据编号 text collate rtrim,
    金额 numeric(18,2),
    税金 numeric(18,2),
    收费项目 text collate rtrim,
    科目 text collate rtrim,
    收费项目代号 text collate rtrim,
    应税科目 text collate rtrim,
    税率 numeric(18,2),
    摘要 text collate rtrim,
    不含税单价 numeric(18,2),
    不含税金额 numeric(18,2)
);
create unique index ux_1 on 票据入库单 (入库单编号);
create unique index ux_2 on 作废恢复流程 (流程代号);
create index ix_1 on 员工档案 (工号);
create index ix_2 on 岗位员工new (员工代号);
create index ix_3 on 岗位员工new (岗位代号);
create index ix_4 on 岗位信息new (岗位代号);
create index ix_5 on 岗位信息new (职能部门代号);
create index ix_6 on 岗位信息new (工号);
create index ix_7 on 职能部门new (职能部门编号);
create index ix_8 on 职能部门new (显示协调位置);
create index ix_9 on 职能部门类别 (部门类别代号);
create index ix_10 on 岗位类别 (岗位类别编号);
create index ix_11 on 上级部门new (职能部门编号);
create index ix_12 on 岗位权限设置 (岗位代号);
create index ix_13 on GroupPrivilege (GroupID);
create index ix_14 on 设置管理处 (对应部门代号);
create index ix_15 on SetupSFXM (收费类别);
create index ix_16 on 封帐 (职能部门代号);
create index ix_17 on 票据类型 (票据类型代号);
create index ix_18 on 票据税控机 (使用单位);
create index ix_19 on 票据 (入库单编号, 票据编号);
create index ix_20 on 票据 (作废日期);
create index ix_21 on 票据 (开票部门编号);
create index ix_22 on 票据开票数据 (票据id);
create index ix_23 on 票据开票数据 (入库单编号, 票据编号);
create index ix_24 on 票据领用记录 (票据领用记录编号);
create index ix_25 on 票据领用记录 (领用部门代号);
create index ix_26 on 票据领用清单 (领用记录编号);
create index ix_27 on 票据领用清单 (入库单编号);
create index ix_28 on WYZJ (票据入库单编号, 发票号码);
create index ix_29 on 票据核销记录 (核销记录编号);
create index ix_30 on 票据核销 (核销记录编号);
create index ix_31 on 票据核销 (入库单编号);
create index ix_32 on 作废恢复流程设置 (流程代号);
create index ix_33 on 作废恢复审批单 (编号);
create index ix_34 on 作废恢复审批单 (部门编号);
create index ix_35 on 作废恢复审批流程 (编号);
create index ix_36 on 作废恢复审批 (编号);
create index ix_37 on 作废恢复审批 (岗位);
create index ix_38 on 票据作废恢复明细 (编号);
